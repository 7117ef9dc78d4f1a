// Memory per live element: a document window loads a 10,000-element skin (99 panels of 100
// labels, buttons, images and check boxes, each with an id, a rectangle, alignments and a short
// text). Counted: the C++ heap bytes the load leaves allocated (this program counts every
// operator new and delete, the engine's included) and the growth of the process's private bytes
// in the first load (every heap, script engine included), each divided by the number of
// elements. The attribute strings (each name/value entry of the attribute lists and the text of
// each value, counted once where elements share it; names are stored once per skin) are reported
// apart, and the figure beyond them is the one to watch. Baseline: the bytes TinyXML's own tree
// of the same file holds. Prints the median of several loads, for the mixed skin and for a skin
// of each kind alone (the same layout with every element of one tag), so the heavy kinds show.
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

// The skin of 99 panels of 100 elements; 'only' names the one tag of every element, or null for
// the four tags in turn.
std::string MakeSkin(const char* only) {
  static const char* const kTags[] = {"label", "button", "image", "checkbox"};
  static const char* const kAlign[] = {"left", "right", "stretch", "center"};
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                    "<window id=\"main\" width=\"800\" height=\"600\">\n";
  int n = 0;
  for (int g = 0; g < kGroups; ++g) {
    xml += "  <subwindow id=\"group" + std::to_string(g) +
           "\" left=\"0\" top=\"0\" width=\"800\" height=\"600\">\n";
    for (int c = 0; c < kPerGroup; ++c, ++n) {
      const char* tag = only != nullptr ? only : kTags[n % 4];
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

// The attribute lists of the subtree: the bytes of their entries ('entries') and of their value
// texts, each text once (the result).
size_t AttributeStringBytes(velmor::scITextBaseContent* element, size_t& entries) {
  std::vector<velmor::scPrototypeText> texts;
  entries = AttributeEntryBytes(element, texts);
  std::sort(texts.begin(), texts.end(),
            [](auto a, auto b) { return a.data() < b.data(); });
  size_t bytes = 0;
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

struct Figures {
  double tinyxml, heap, strings, entries, privateBytes;
};

// Loads the skin 'xml' kRuns times into fresh documents; false when a load fails.
bool Measure(const std::string& xml, Figures& figures) {
  const std::wstring path = velmor::bench::WriteTempFile(L"velmor-bench-memory.xml", xml);
  if (path.empty()) return false;
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  const double elements = kGroups * (kPerGroup + 1) + 1;
  std::vector<double> heap, strings, entries, privateBytes, tinyxml;
  bool loaded = true;
  for (int run = 0; run < kRuns && loaded; ++run) {
    {
      const long long before = g_liveBytes;
      TiXmlBase::SetCondenseWhiteSpace(false);
      TiXmlDocument document;
      FILE* file = _wfopen(path.c_str(), L"rb");
      if (file == nullptr) return false;
      const bool parsed = document.LoadFile(file, TIXML_ENCODING_UTF8);
      fclose(file);
      if (!parsed) return false;
      tinyxml.push_back(static_cast<double>(g_liveBytes - before) / elements);
    }
    velmor::scDocument* document = nullptr;
    if (FAILED(velmor::scDocument::CreateObject(&document))) return false;
    const long long heapBefore = g_liveBytes;
    const size_t privateBefore = PrivateBytes();
    loaded = SUCCEEDED(document->Load(folder.c_str(), path.c_str()));
    if (loaded) {
      heap.push_back(static_cast<double>(g_liveBytes - heapBefore) / elements);
      // Later loads reuse what the first freed: only the first shows the heaps growing.
      if (run == 0)
        privateBytes.push_back(static_cast<double>(PrivateBytes() - privateBefore) / elements);
      size_t entryBytes = 0;
      strings.push_back(static_cast<double>(AttributeStringBytes(
                            velmor::scITextBaseContent::FromContent(document->RootElement()),
                            entryBytes)) /
                        elements);
      entries.push_back(static_cast<double>(entryBytes) / elements);
    }
    LOG_IF_FAILED(document->Destroy());
    document->Release();
  }
  ::DeleteFileW(path.c_str());
  figures = {velmor::bench::Median(tinyxml), velmor::bench::Median(heap),
             velmor::bench::Median(strings), velmor::bench::Median(entries),
             velmor::bench::Median(privateBytes)};
  return loaded;
}

}  // namespace

int main() {
  if (!velmor::bench::UseEngineModuleFromDist()) return 1;
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Figures mixed{};
  if (!Measure(MakeSkin(nullptr), mixed)) {
    std::printf("cannot load the skin\n");
    return 1;
  }
  const double elements = kGroups * (kPerGroup + 1) + 1;
  std::printf("memory per live element: %.0f elements, median of %d loads\n", elements, kRuns);
  std::printf("  TinyXML's tree of the same file         %8.1f bytes  (baseline)\n", mixed.tinyxml);
  std::printf("  engine heap after the load              %8.1f bytes  ratio %.2f\n", mixed.heap,
              mixed.heap / mixed.tinyxml);
  const double attributes = mixed.strings + mixed.entries;
  std::printf("    of which attribute strings            %8.1f bytes", attributes);
  std::printf("  (entries %.1f, texts %.1f)\n", mixed.entries, mixed.strings);
  std::printf("    beyond the attribute strings          %8.1f bytes  ratio %.2f\n",
              mixed.heap - attributes, (mixed.heap - attributes) / mixed.tinyxml);
  std::printf("  growth of private bytes, first load     %8.1f bytes\n", mixed.privateBytes);
  // The same skin with every element of one tag: the figure beyond the attribute strings per
  // element (panels and root included, as above).
  std::printf("  by kind, beyond the attribute strings (a skin of that tag alone):\n");
  for (const char* tag : {"label", "button", "image", "checkbox"}) {
    Figures one{};
    if (!Measure(MakeSkin(tag), one)) {
      std::printf("    %-10s cannot load the skin\n", tag);
      continue;
    }
    std::printf("    %-10s %8.1f bytes  (heap %.1f, attribute strings %.1f)\n", tag,
                one.heap - one.strings - one.entries, one.heap, one.strings + one.entries);
  }
  ::CoUninitialize();
  return 0;
}
