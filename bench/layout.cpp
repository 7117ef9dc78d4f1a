// Laying out a 10,000-element tree after its root is resized: the element tree's recursive
// move/size (event check, layout of every descendant, two invalidations per element up to the
// root), without a window, with a hidden document window, with a shown one taking the native
// invalidations and with a shown one whose paint lock spares them (as the window's size handler
// holds it), against the same anchoring arithmetic over a plain array of rectangles in tree order. Prints
// medians of several runs and their ratios to the array.
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

  // Three documents with the same tree: without a window, with a hidden and with a shown one.
  BenchDocument* bare = nullptr;
  BenchDocument* windowed = nullptr;
  BenchDocument* shown = nullptr;
  BenchDocument* locked = nullptr;  // shown, with the window's paint lock held
  if (FAILED(BenchDocument::CreateObject(&bare)) ||
      FAILED(BenchDocument::CreateObject(&windowed)) || FAILED(BenchDocument::CreateObject(&shown)) ||
      FAILED(BenchDocument::CreateObject(&locked)))
    return 1;
  locked->m_paintLocked = true;
  for (BenchDocument* d : {windowed, shown, locked}) {
    d->m_window = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP,
                                    0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  }
  ::ShowWindow(shown->m_window, SW_SHOWNOACTIVATE);
  ::ShowWindow(locked->m_window, SW_SHOWNOACTIVATE);
  for (BenchDocument* d : {bare, windowed, shown, locked}) {
    if (FAILED(d->Content().Load(folder.c_str(), path.c_str()))) return 1;
  }
  scIContent* bareRoot = bare->Content().RootElement();
  scIContent* windowedRoot = windowed->Content().RootElement();
  scIContent* shownRoot = shown->Content().RootElement();
  scIContent* lockedRoot = locked->Content().RootElement();
  const size_t elements = Count(scITextBaseContent::FromContent(bareRoot));
  std::vector<FlatElement> flat;
  Flatten(scITextBaseContent::FromContent(bareRoot), -1, flat);

  // Every run resizes to the other size, so each layout really moves the tree.
  static const int kSizes[2][2] = {{1000, 700}, {800, 600}};
  int turn[5] = {0, 0, 0, 0, 0};
  auto next = [&](int body) { return kSizes[turn[body]++ % 2]; };
  constexpr int kRuns = 21;
  const std::vector<double> medians = InterleavedMediansMs(kRuns, {
      [&] {
        const int* size = next(0);
        LayoutFlat(flat, size[0], size[1]);
        return true;
      },
      [&] {
        const int* size = next(1);
        bareRoot->MoveSize(0, 0, size[0], size[1]);
        return true;
      },
      [&] {
        const int* size = next(2);
        windowedRoot->MoveSize(0, 0, size[0], size[1]);
        return true;
      },
      [&] {
        const int* size = next(3);
        shownRoot->MoveSize(0, 0, size[0], size[1]);
        ::ValidateRect(shown->m_window, nullptr);
        return true;
      },
      [&] {
        // What the document's size handler does: the paint lock spares the elements' native
        // invalidations and one whole-window invalidation replaces them.
        const int* size = next(4);
        lockedRoot->MoveSize(0, 0, size[0], size[1]);
        ::InvalidateRect(locked->m_window, nullptr, FALSE);
        ::ValidateRect(locked->m_window, nullptr);
        return true;
      },
  });

  // The array and the tree must agree, or the comparison means nothing.
  bareRoot->MoveSize(0, 0, 1000, 700);
  LayoutFlat(flat, 1000, 700);
  std::vector<FlatElement> check;
  Flatten(scITextBaseContent::FromContent(bareRoot), -1, check);
  bool same = check.size() == flat.size();
  for (size_t i = 0; same && i < flat.size(); ++i) same = check[i].rect == flat[i].rect;

  const double array = medians[0], tree = medians[1], hidden = medians[2], visible = medians[3],
               paintLocked = medians[4];
  printf("layout after a root resize: %zu elements, median of %d runs\n", elements, kRuns);
  printf("  anchoring over a plain array       %8.3f ms  (baseline)\n", array);
  printf("  element tree, no window            %8.3f ms  ratio %.1f\n", tree, tree / array);
  printf("  element tree, hidden window        %8.3f ms  ratio %.1f\n", hidden, hidden / array);
  printf("  element tree, shown window         %8.3f ms  ratio %.1f\n", visible, visible / array);
  printf("  shown window, paint lock held      %8.3f ms  ratio %.1f\n", paintLocked,
         paintLocked / array);
  printf("  (the tree also checks for a size event and invalidates old and new rectangles of every\n"
         "   element up to the root; with a shown window each becomes a native InvalidateRect)\n");
  printf("  array and tree agree: %s\n", same ? "yes" : "NO");

  for (BenchDocument* d : {bare, windowed, shown, locked}) {
    d->Content().Clear();
    if (d->m_window != nullptr) ::DestroyWindow(d->m_window);
    d->Release();
  }
  ::DeleteFileW(path.c_str());
  ::CoUninitialize();
  return same ? 0 : 1;
}
