// CScSplitterImpl: the geometry and dragging engine of a splitter. It places two panes and the
// bar between them inside the splitter's rectangle, side by side (a vertical bar) or one above
// the other, keeps the first pane's size, the second pane's size or their proportion when the
// rectangle changes, shows one pane alone on request and moves the bar with the mouse, either
// live or as an inverted "ghost" bar that the panes follow only on release. The element that
// embeds it supplies the layout lock, the repaint and the ghost bar's window.
#pragma once
#include <windows.h>

#include "skin/text_base_content.h"

namespace velmor {

class CScSplitterImpl {
 public:
  // What stays constant when the rectangle changes.
  enum Style : int { kFirstPaneKept = 0, kProportional = 1, kSecondPaneKept = 4 };

  CScSplitterImpl();
  virtual ~CScSplitterImpl() = default;

  // Takes the three children: 'bar' gives the thickness and the first position (its width and
  // x when vertical, its height and y when horizontal).
  void SetUpPanes(scITextBaseContent* first, scITextBaseContent* bar, scITextBaseContent* second,
                  const RECT& rect);
  bool IsSetUp() const { return m_panes[0] != nullptr; }

  // Stores the rectangle and re-applies the kept size or proportion (re-clamping the position).
  void SetSplitterRect(const RECT& rect, bool update);
  // Clamps and stores the position (-1 centres the bar); true when it changed.
  bool SetSplitterPos(int pos, bool update);
  // Places the panes and the bar for the current position, then repaints the splitter.
  void UpdateSplitLayout();
  // -1 shows both panes; 0 or 1 shows that pane alone. False for any other value.
  bool SetSinglePaneMode(int pane);
  // Exchanges the panes, their minimums and the kept side; the bar mirrors its position.
  void SwapPanes();
  // Whether a point in the splitter's coordinates lies on the bar (-1 leaves a coordinate out).
  bool HitTestBar(int x, int y) const;
  // The bar's mouse: 'type' is the event type, (x, y) the pointer in the splitter's coordinates.
  void OnBarMouse(uint32_t type, int x, int y);

  int SplitterPos() const { return m_pos; }
  int SinglePane() const { return m_singlePane; }
  bool IsVertical() const { return m_vertical; }
  bool IsDragging() const { return m_dragging; }
  bool FullDrag() const { return m_fullDrag; }
  int MinSize(int pane) const { return m_minSize[pane]; }
  void SetMinSize(int pane, int size) { m_minSize[pane] = size; }
  scITextBaseContent* Bar() const { return m_bar; }
  scITextBaseContent* Pane(int index) const { return m_panes[index]; }
  const RECT& SplitterRect() const { return m_splitterRect; }

 protected:
  // True while the embedding element's layout is locked.
  virtual bool IsLayoutLocked() const = 0;
  // Repaints the embedding element's whole box.
  virtual void InvalidateSplitter() = 0;
  // The window the ghost bar is drawn on and the splitter's corner in its client area.
  virtual bool GhostBarHost(HWND& host, POINT& at) = 0;

  int m_style = kFirstPaneKept;
  bool m_vertical = true;

 private:
  // The length along the split less the bar: the room for the two panes.
  int Room() const;
  void StoreKeptValue();
  // The bar's rectangle for the current position, in the splitter's coordinates.
  RECT BarRect() const;
  // Inverts the ghost bar on the host window; drawn twice, the screen is as before.
  void DrawGhostBar();

  scITextBaseContent* m_panes[2] = {nullptr, nullptr};  // children: owned by the element tree
  scITextBaseContent* m_bar = nullptr;
  RECT m_splitterRect{0, 0, 0, 0};
  int m_pos = -1;
  int m_defaultActivePane = -1;
  int m_barThickness = 0;
  int m_minSize[2] = {0, 0};
  bool m_fullDrag = true;
  int m_dragOffset = 0;
  int m_keptValue = 0;  // 0..10000 when proportional, else the second pane's size
  bool m_updateKeptValue = true;
  int m_singlePane = -1;
  bool m_dragging = false;
};

}  // namespace velmor
