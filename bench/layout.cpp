// Laying out a 10,000-element tree after its root is resized: the element tree's recursive
// move/size (event check, layout of every descendant, two invalidations per element up to the
// root), without a window; inside a message of a hidden window, of a shown one (the requests
// gathered into one native invalidation when the message returns) and of a shown one whose paint
// lock spares them (as the window's size handler holds it); and, for comparison, on a shown window
// outside any window message, where every request goes to the platform on its own. Baseline: the
// same anchoring arithmetic over a plain array of rectangles in tree order. Prints medians of
// several runs and their ratios to the array and to the tree without a window.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/com_object.h"
#include "bench_document.h"
#include "bench_timing.h"
#include "skin/anchor_layout.h"
#include "render/paint.h"
#include "skin/content.h"
#include "skin/document_content.h"
#include "skin/text_base_content.h"

using velmor::bench::InterleavedMediansMs;
using velmor::bench::NowMs;

namespace {

using velmor::AnchorChild;
using velmor::scDocumentContent;
using velmor::scITextBaseContent;
using velmor::scRect;

using velmor::bench::BenchDocument;

const char* const kHorizontal[] = {"left", "right", "stretch", "center"};
const char* const kVertical[] = {"top", "bottom", "stretch", "center"};

// window > 99 panels > 100 children each (plus the root): 10,000 elements with every alignment.
std::string MakeSkin() {
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                    "<window width=\"800\" height=\"600\">\n";
  int n = 0;
  for (int g = 0; g < 99; ++g) {
    xml += "  <image left=\"" + std::to_string(g) + "\" top=\"" + std::to_string(g) +
           "\" width=\"700\" height=\"500\" horizontalAlignment=\"" + kHorizontal[g % 4] +
           "\" verticalAlignment=\"" + kVertical[(g / 4) % 4] + "\">\n";
    for (int c = 0; c < 100; ++c, ++n) {
      xml += "    <label left=\"" + std::to_string(c * 7) + "\" top=\"" + std::to_string(c * 5) +
             "\" width=\"40\" height=\"12\" horizontalAlignment=\"" + kHorizontal[n % 4] +
             "\" verticalAlignment=\"" + kVertical[(n / 4) % 4] + "\"/>\n";
    }
    xml += "  </image>\n";
  }
  xml += "</window>\n";
  return xml;
}

// The same tree as plain records in tree order (every parent before its children).
struct FlatElement {
  int parent;  // index, -1 for the root
  scRect rect;
  scRect design;
  uint32_t alignment;
};

void Flatten(scITextBaseContent* element, int parent, std::vector<FlatElement>& out) {
  const int index = static_cast<int>(out.size());
  out.push_back({parent, element->Rect(), element->DesignRect(), element->Alignment()});
  for (scITextBaseContent* c = element->FirstChild(); c != nullptr; c = c->NextSibling())
    Flatten(c, index, out);
}

void LayoutFlat(std::vector<FlatElement>& elements, int width, int height) {
  elements[0].rect = scRect{0, 0, width, height};
  for (size_t i = 1; i < elements.size(); ++i) {
    FlatElement& e = elements[i];
    const FlatElement& p = elements[e.parent];
    e.rect = AnchorChild(e.rect, e.design, e.alignment, p.rect.width, p.rect.height,
                         p.design.width, p.design.height);
  }
}

size_t Count(scITextBaseContent* element) {
  size_t n = 1;
  for (scITextBaseContent* c = element->FirstChild(); c != nullptr; c = c->NextSibling())
    n += Count(c);
  return n;
}

}  // namespace

int main() {
  const std::string xml = MakeSkin();
  const std::wstring path = velmor::bench::WriteTempFile(L"velmor-bench-layout.xml", xml);
  if (path.empty()) return 1;
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  // Documents with the same tree: without a window, with a hidden one, with shown ones (one
  // resized outside any message, one inside a message) and a shown one with its paint lock held.
  enum { kBare, kHidden, kOutside, kShown, kLocked, kDocuments };
  BenchDocument* documents[kDocuments] = {};
  velmor::bench::BenchWindow windows[kDocuments];
  for (int i = 0; i < kDocuments; ++i) {
    if (FAILED(BenchDocument::CreateObject(&documents[i]))) return 1;
    documents[i]->UseEngineClasses();
    if (i != kBare) documents[i]->m_window = windows[i].Create(i != kHidden);
    if (FAILED(documents[i]->Content().Load(folder.c_str(), path.c_str()))) return 1;
  }
  documents[kLocked]->m_paintLocked = true;
  scIContent* roots[kDocuments];
  for (int i = 0; i < kDocuments; ++i) roots[i] = documents[i]->Content().RootElement();
  const size_t elements = Count(scITextBaseContent::FromContent(roots[kBare]));
  std::vector<FlatElement> flat;
  Flatten(scITextBaseContent::FromContent(roots[kBare]), -1, flat);

  // Every run resizes to the other size, so each layout really moves the tree.
  static const int kSizes[2][2] = {{1000, 700}, {800, 600}};
  int turn[kDocuments + 1] = {};
  auto next = [&](int body) { return kSizes[turn[body]++ % 2]; };
  auto resize = [&](int document) {
    const int* size = next(document);
    roots[document]->MoveSize(0, 0, size[0], size[1]);
  };
  auto inMessage = [&](int document) {
    return [&, document] {
      windows[document].RunInMessage([&] { resize(document); });
      // The paint that would follow is not part of the layout.
      ::ValidateRect(windows[document].m_hWnd, nullptr);
      return true;
    };
  };
  constexpr int kRuns = 21;
  const std::vector<double> medians = InterleavedMediansMs(kRuns, {
      [&] {
        const int* size = next(kDocuments);
        LayoutFlat(flat, size[0], size[1]);
        return true;
      },
      [&] {
        resize(kBare);
        return true;
      },
      inMessage(kHidden),
      inMessage(kShown),
      inMessage(kLocked),
      [&] {
        resize(kOutside);
        ::ValidateRect(windows[kOutside].m_hWnd, nullptr);
        return true;
      },
  });

  // The array and the tree must agree, or the comparison means nothing.
  roots[kBare]->MoveSize(0, 0, 1000, 700);
  LayoutFlat(flat, 1000, 700);
  std::vector<FlatElement> check;
  Flatten(scITextBaseContent::FromContent(roots[kBare]), -1, check);
  bool same = check.size() == flat.size();
  for (size_t i = 0; same && i < flat.size(); ++i) same = check[i].rect == flat[i].rect;

  // One resize inside a message leaves the union of the moved rectangles invalid: here the
  // whole client area, since the panels move across all of it.
  ::ValidateRect(windows[kShown].m_hWnd, nullptr);
  windows[kShown].RunInMessage([&] { roots[kShown]->MoveSize(0, 0, 800, 600); });
  RECT update{};
  ::GetUpdateRect(windows[kShown].m_hWnd, &update, FALSE);

  const double array = medians[0], tree = medians[1];
  printf("layout after a root resize: %zu elements, median of %d runs\n", elements, kRuns);
  printf("  anchoring over a plain array             %8.3f ms  (baseline)\n", array);
  printf("  element tree, no window                  %8.3f ms  ratio %.1f\n", tree, tree / array);
  static const char* const kNames[] = {"hidden window, in a message",
                                       "shown window, in a message",
                                       "shown window, paint lock held",
                                       "shown window, outside any message"};
  for (int i = 2; i < 6; ++i) {
    printf("  %-40s %8.3f ms  ratio %.1f  x%.2f no window\n", kNames[i - 2], medians[i],
           medians[i] / array, medians[i] / tree);
  }
  printf("  (the tree also checks for a size event and invalidates old and new rectangles of every\n"
         "   element up to the root; in a message they reach the platform as one request when it\n"
         "   returns, outside one each is a native InvalidateRect)\n");
  printf("  update area after one resize in a message: (%ld,%ld)-(%ld,%ld)\n", update.left,
         update.top, update.right, update.bottom);
  printf("  array and tree agree: %s\n", same ? "yes" : "NO");

  for (int i = 0; i < kDocuments; ++i) {
    documents[i]->Content().Clear();
    windows[i].DestroyWindow();
    documents[i]->Release();
  }
  ::DeleteFileW(path.c_str());
  ::CoUninitialize();
  return same ? 0 : 1;
}
