// Loading a 10,000-element skin: reading the file into prototypes, and the whole load with the
// live element tree, against TinyXML's bare parse of the same file. Prints medians of several
// runs and their ratios to the bare parse, then the same load step by step (where it goes).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/com_object.h"
#include "bench_document.h"
#include "bench_timing.h"
#include "skin/content.h"
#include "skin/document_content.h"
#include "skin/prototype.h"
#include "skin/attribute_chunks.h"
#include "skin/skin_xml.h"
#include "tinyxml.h"

using velmor::bench::InterleavedMediansMs;
using velmor::bench::NowMs;

namespace {

using velmor::ComPtr;
using velmor::scDocumentContent;

using velmor::bench::BenchDocument;

// window > 99 images > 100 children each: 10,000 elements.
std::string MakeSkin() {
  static const char* const kTags[] = {"label", "button", "image", "checkbox"};
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                    "<window id=\"main\" width=\"800\" height=\"600\" title=\"Bench\">\n";
  int n = 0;
  for (int g = 0; g < 99; ++g) {
    xml += "  <image id=\"group" + std::to_string(g) +
           "\" left=\"0\" top=\"0\" width=\"800\" height=\"600\" horizontalAlignment=\"stretch\">\n";
    for (int c = 0; c < 100; ++c, ++n) {
      const char* tag = kTags[n % 4];
      xml += std::string("    <") + tag + " id=\"e" + std::to_string(n) + "\" left=\"" +
             std::to_string(c * 8) + "\" top=\"" + std::to_string(g * 6) +
             "\" width=\"8\" height=\"6\" color=\"#336699\" onclick=\"handle(" +
             std::to_string(n) + ")\">Item\ntext</" + tag + ">\n";
    }
    xml += "  </image>\n";
  }
  xml += "</window>\n";
  return xml;
}

// Where one load goes: the steps the loader takes, each timed alone in the same order, as
// medians of 'runs' loads. The steps sum to about the full load.
void PrintLoadSteps(BenchDocument* document, const std::wstring& folder, const std::wstring& path,
                    double bare, int runs) {
  static const char* const kSteps[] = {
      "read the file",    "nesting and attribute scans", "TinyXML parse",
      "build prototypes", "free TinyXML's tree",         "release prototypes",
      "live elements and ids", "teardown (elements, ids, prototypes)"};
  constexpr size_t kCount = sizeof(kSteps) / sizeof(kSteps[0]);
  std::vector<std::vector<double>> times(kCount);
  for (int run = 0; run < runs; ++run) {
    double t = NowMs();
    size_t step = 0;
    const auto lap = [&] {
      const double now = NowMs();
      times[step++].push_back(now - t);
      t = now;
    };
    std::string text;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr || !velmor::ReadXmlText(file, text)) return;
    fclose(file);
    lap();
    std::string split;
    int depth = -1;
    if (!velmor::SplitLongAttributeLists(text, split, &depth).marker.empty() || depth < 0 ||
        depth > velmor::kMaxSkinNesting)
      return;
    lap();
    velmor::scPrototypeNode* root = nullptr;
    {
      TiXmlBase::SetCondenseWhiteSpace(false);
      TiXmlDocument xml;
      xml.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
      lap();
      if (xml.Error() || FAILED(velmor::BuildPrototype(document, xml.FirstChildElement(), &root)))
        return;
      lap();
    }
    lap();
    root->Release();
    lap();
    if (FAILED(document->Content().ReadSkin(path.c_str()))) return;
    t = NowMs();
    if (FAILED(document->Content().BuildContent())) return;
    lap();
    document->Content().Clear();
    lap();
  }
  printf("  the load step by step (median of %d):\n", runs);
  for (size_t i = 0; i < kCount; ++i) {
    const double ms = velmor::bench::Median(times[i]);
    printf("    %-38s %8.2f ms  ratio %.2f\n", kSteps[i], ms, ms / bare);
  }
}

}  // namespace

int main() {
  const std::string xml = MakeSkin();
  const std::wstring path = velmor::bench::WriteTempFile(L"velmor-bench-skin.xml", xml);
  if (path.empty()) return 1;
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  BenchDocument* document = nullptr;
  if (FAILED(BenchDocument::CreateObject(&document))) return 1;
  constexpr int kRuns = 15;
  bool complete = true;
  const std::vector<double> medians = InterleavedMediansMs(kRuns, {
      [&] {  // TinyXML alone, as the loader calls it
        FILE* file = _wfopen(path.c_str(), L"rb");
        if (file == nullptr) return false;
        TiXmlBase::SetCondenseWhiteSpace(false);
        TiXmlDocument xmlDocument;
        const bool ok = xmlDocument.LoadFile(file, TIXML_ENCODING_UTF8);
        fclose(file);
        return ok;
      },
      [&] {  // nesting scan, parse and prototype tree, then its release
        velmor::scPrototypeElement* root = nullptr;
        if (FAILED(velmor::ReadSkinFile(document, path.c_str(), &root))) return false;
        root->Release();
        return true;
      },
      [&] {  // the whole load (prototypes, live elements, ids), then its teardown
        const bool ok = SUCCEEDED(document->Content().Load(folder.c_str(), path.c_str())) &&
                        document->FindElementById(L"e9899") != nullptr;
        document->Content().Clear();
        complete = complete && ok;
        return ok;
      },
  });
  const double bare = medians[0], prototypes = medians[1], full = medians[2];

  printf("skin: 10000 elements, %zu bytes, median of %d runs\n", xml.size(), kRuns);
  printf("  TinyXML bare parse            %8.2f ms  (baseline)\n", bare);
  printf("  read into prototype tree      %8.2f ms  ratio %.2f\n", prototypes, prototypes / bare);
  printf("  full load with live elements  %8.2f ms  ratio %.2f\n", full, full / bare);
  printf("  (loader runs include releasing what they built; TinyXML frees its own tree too)\n");
  printf("  tree complete: %s\n", complete ? "yes" : "NO");
  PrintLoadSteps(document, folder, path, bare, kRuns);
  document->Release();
  ::DeleteFileW(path.c_str());
  ::CoUninitialize();
  return complete ? 0 : 1;
}
