// Memory per live element: a document window loads a 10,000-element skin (99 panels of 100
// labels, buttons, images and check boxes, each with an id, a rectangle, alignments and a short
// text). Counted: the C++ heap bytes the load leaves allocated (this program counts every
// operator new and delete, the engine's included) and the growth of the process's private bytes
// in the first load (every heap, script engine included), each divided by the number of
// elements; the attribute lists (each name/value entry and the text of its value; names are
// stored once per skin) are reported apart, and the figure beyond them is the one to watch. Baseline: the bytes TinyXML's own tree of the same file holds.
// Prints the median of several loads.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "skin/prototype.h"
#include "skin/text_base_content.h"
#include "tinyxml.h"
#include "window/document.h"

namespace {

std::atomic<long long> g_liveBytes{0};

// Each block carries its size in front, so a delete knows what it gives back.
constexpr size_t kHeader = 16;

void* Allocate(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) return nullptr;
  *static_cast<size_t*>(block) = size;
  g_liveBytes += static_cast<long long>(size);
  return static_cast<char*>(block) + kHeader;
}

void Free(void* p) {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - kHeader;
  g_liveBytes -= static_cast<long long>(*static_cast<size_t*>(block));
  std::free(block);
}

}  // namespace

void* operator new(size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, size_t) noexcept { Free(p); }
void operator delete[](void* p, size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }

namespace {

constexpr int kGroups = 99, kPerGroup = 100, kRuns = 5;

std::string MakeSkin() {
  static const char* const kTags[] = {"label", "button", "image", "checkbox"};
  static const char* const kAlign[] = {"left", "right", "stretch", "center"};
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                    "<window id=\"main\" width=\"800\" height=\"600\">\n";
  int n = 0;
  for (int g = 0; g < kGroups; ++g) {
    xml += "  <subwindow id=\"group" + std::to_string(g) +
           "\" left=\"0\" top=\"0\" width=\"800\" height=\"600\">\n";
    for (int c = 0; c < kPerGroup; ++c, ++n) {
      const char* tag = kTags[n % 4];
      xml += std::string("    <") + tag + " id=\"e" + std::to_string(n) + "\" left=\"" +
             std::to_string(c * 8) + "\" top=\"" + std::to_string(g * 6) +
             "\" width=\"8\" height=\"6\" horizontalAlignment=\"" + kAlign[n % 4] + "\">Item</" +
             tag + ">\n";
    }
    xml += "  </subwindow>\n";
  }
  return xml + "</window>\n";
}

// The attribute entries of the subtree, and the value texts they point to ('texts', where texts
// that elements share appear more than once).
size_t AttributeEntryBytes(velmor::scITextBaseContent* element,
                           std::vector<velmor::scPrototypeText>& texts) {
  size_t bytes = 0;
  if (velmor::scPrototypeElement* p = element->Prototype()) {
    bytes += p->m_attributes.size() * sizeof(velmor::scPrototypeAttributes::value_type);
    for (const auto& [name, value] : p->m_attributes) texts.push_back(value);
  }
  for (auto* c = element->FirstChild(); c != nullptr; c = c->NextSibling())
    bytes += AttributeEntryBytes(c, texts);
  return bytes;
}

// The attribute lists of the subtree: entries, and each value text once.
size_t AttributeStringBytes(velmor::scITextBaseContent* element) {
  std::vector<velmor::scPrototypeText> texts;
  size_t bytes = AttributeEntryBytes(element, texts);
  std::sort(texts.begin(), texts.end(),
            [](auto a, auto b) { return a.data() < b.data(); });
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i == 0 || texts[i].data() != texts[i - 1].data())
      bytes += (texts[i].size() + 1) * sizeof(wchar_t);
  }
  return bytes;
}

size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PagefileUsage;
}

}  // namespace

int main() {
  if (!velmor::bench::UseEngineModuleFromDist()) return 1;
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::string xml = MakeSkin();
  const std::wstring path = velmor::bench::WriteTempFile(L"velmor-bench-memory.xml", xml);
  if (path.empty()) return 1;
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  const double elements = kGroups * (kPerGroup + 1) + 1;

  std::vector<double> heap, strings, privateBytes, tinyxml;
  for (int run = 0; run < kRuns; ++run) {
    {
      const long long before = g_liveBytes;
      TiXmlBase::SetCondenseWhiteSpace(false);
      TiXmlDocument document;
      FILE* file = _wfopen(path.c_str(), L"rb");
      if (file == nullptr || !document.LoadFile(file, TIXML_ENCODING_UTF8)) return 1;
      fclose(file);
      tinyxml.push_back(static_cast<double>(g_liveBytes - before) / elements);
    }
    velmor::scDocument* document = nullptr;
    if (FAILED(velmor::scDocument::CreateObject(&document))) return 1;
    const long long heapBefore = g_liveBytes;
    const size_t privateBefore = PrivateBytes();
    if (FAILED(document->Load(folder.c_str(), path.c_str()))) {
      std::printf("cannot load the skin\n");
      return 1;
    }
    heap.push_back(static_cast<double>(g_liveBytes - heapBefore) / elements);
    // Later loads reuse what the first freed: only the first shows the heaps growing.
    if (run == 0)
      privateBytes.push_back(static_cast<double>(PrivateBytes() - privateBefore) / elements);
    strings.push_back(static_cast<double>(AttributeStringBytes(
                          velmor::scITextBaseContent::FromContent(document->RootElement()))) /
                      elements);
    LOG_IF_FAILED(document->Destroy());
    document->Release();
  }
  const double h = velmor::bench::Median(heap), s = velmor::bench::Median(strings),
               p = velmor::bench::Median(privateBytes), t = velmor::bench::Median(tinyxml);
  std::printf("memory per live element: %.0f elements, median of %d loads\n", elements, kRuns);
  std::printf("  TinyXML's tree of the same file         %8.1f bytes  (baseline)\n", t);
  std::printf("  engine heap after the load              %8.1f bytes  ratio %.2f\n", h, h / t);
  std::printf("    of which attribute lists              %8.1f bytes\n", s);
  std::printf("    beyond the attribute lists            %8.1f bytes  ratio %.2f\n", h - s,
              (h - s) / t);
  std::printf("  growth of private bytes, first load     %8.1f bytes\n", p);
  ::DeleteFileW(path.c_str());
  ::CoUninitialize();
  return 0;
}
