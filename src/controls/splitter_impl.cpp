#include "controls/splitter_impl.h"

#include <utility>

#include "skin/event_record.h"

namespace velmor {
namespace {

// The halftone brush of the ghost bar: alternate pixels, so inverting twice restores the screen
// whatever lies under it.
HBRUSH CreateHalftoneBrush() {
  static const WORD kRows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
  HBITMAP pattern = ::CreateBitmap(8, 8, 1, 1, kRows);
  if (pattern == nullptr) return nullptr;
  HBRUSH brush = ::CreatePatternBrush(pattern);
  ::DeleteObject(pattern);  // the brush keeps its own copy
  return brush;
}

void MoveElement(scITextBaseContent* element, int left, int top, int right, int bottom) {
  element->MoveSize(left, top, right - left, bottom - top);
}

}  // namespace

CScSplitterImpl::CScSplitterImpl() {
  BOOL full = TRUE;
  if (::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0)) m_fullDrag = full != FALSE;
}

void CScSplitterImpl::SetUpPanes(scITextBaseContent* first, scITextBaseContent* bar,
                                 scITextBaseContent* second, const RECT& rect) {
  m_panes[0] = first;
  m_panes[1] = second;
  m_bar = bar;
  m_barThickness = m_vertical ? bar->Rect().width : bar->Rect().height;
  m_pos = m_vertical ? bar->Rect().x : bar->Rect().y;
  m_splitterRect = rect;
  StoreKeptValue();
}

int CScSplitterImpl::Room() const {
  const int length = m_vertical ? m_splitterRect.right - m_splitterRect.left : m_splitterRect.bottom - m_splitterRect.top;
  return length - m_barThickness;
}

void CScSplitterImpl::StoreKeptValue() {
  const int room = Room();
  if (m_style == kProportional) m_keptValue = room >= 1 ? ::MulDiv(m_pos, 10000, room) : 0;
  if (m_style == kSecondPaneKept) m_keptValue = room >= 1 ? room - m_pos : 0;
}

bool CScSplitterImpl::SetSplitterPos(int pos, bool update) {
  const int room = Room();
  if (pos == -1) pos = room / 2;
  if (pos < m_minSize[0]) {
    pos = m_minSize[0];
  } else if (pos > room - m_minSize[1]) {
    pos = room - m_minSize[1];
  }
  const bool changed = pos != m_pos;
  m_pos = pos;
  // Only the one call that follows a resize leaves the kept value alone.
  if (m_updateKeptValue) {
    StoreKeptValue();
  } else {
    m_updateKeptValue = true;
  }
  if (update && changed) UpdateSplitLayout();
  return changed;
}

void CScSplitterImpl::SetSplitterRect(const RECT& rect, bool update) {
  m_splitterRect = rect;
  const int room = Room();
  if (m_style == kProportional && room > 0) {
    m_updateKeptValue = false;
    SetSplitterPos(::MulDiv(m_keptValue, room, 10000), false);
  } else if (m_style == kSecondPaneKept && room > 0) {
    m_updateKeptValue = false;
    SetSplitterPos(room - m_keptValue, false);
  }
  if (m_singlePane == -1) SetSplitterPos(m_pos, false);
  if (update) UpdateSplitLayout();
}

void CScSplitterImpl::UpdateSplitLayout() {
  if (!IsSetUp() || IsLayoutLocked()) return;
  if (m_singlePane == -1 && m_pos == -1) return;
  const RECT& r = m_splitterRect;
  if (m_singlePane == -1) {
    const int split = (m_vertical ? r.left : r.top) + m_pos;
    const int after = split + m_barThickness;
    if (m_vertical) {
      MoveElement(m_panes[0], r.left, r.top, split, r.bottom);
      MoveElement(m_panes[1], after, r.top, r.right, r.bottom);
      MoveElement(m_bar, split, r.top, after, r.bottom);
    } else {
      MoveElement(m_panes[0], r.left, r.top, r.right, split);
      MoveElement(m_panes[1], r.left, after, r.right, r.bottom);
      MoveElement(m_bar, r.left, split, r.right, after);
    }
  } else {
    MoveElement(m_panes[m_singlePane], r.left, r.top, r.right, r.bottom);
  }
  InvalidateSplitter();
}

bool CScSplitterImpl::SetSinglePaneMode(int pane) {
  if (pane < -1 || pane > 1) return false;
  if (IsSetUp()) {
    if (pane == -1) {
      if (m_singlePane != -1) m_panes[1 - m_singlePane]->SetVisible(true);
    } else {
      if (!m_panes[pane]->IsVisible()) m_panes[pane]->SetVisible(true);
      m_panes[1 - pane]->SetVisible(false);
      m_defaultActivePane = pane;
    }
  }
  m_singlePane = pane;
  UpdateSplitLayout();
  return true;
}

void CScSplitterImpl::SwapPanes() {
  std::swap(m_panes[0], m_panes[1]);
  std::swap(m_minSize[0], m_minSize[1]);
  if (m_singlePane != -1) m_singlePane = 1 - m_singlePane;
  if (m_style == kSecondPaneKept) {
    m_style = kFirstPaneKept;
  } else if (m_style == kFirstPaneKept) {
    m_style = kSecondPaneKept;
  }
  SetSplitterPos(m_vertical ? m_splitterRect.left + m_splitterRect.right - m_pos : m_splitterRect.top + m_splitterRect.bottom - m_pos,
                 false);
  UpdateSplitLayout();
  StoreKeptValue();
}

bool CScSplitterImpl::HitTestBar(int x, int y) const {
  if (m_singlePane != -1 || m_pos == -1) return false;
  if (x != -1 && (x < m_splitterRect.left || x >= m_splitterRect.right)) return false;
  if (y != -1 && (y < m_splitterRect.top || y >= m_splitterRect.bottom)) return false;
  const int along = m_vertical ? x : y;
  const int start = (m_vertical ? m_splitterRect.left : m_splitterRect.top) + m_pos;
  return along >= start && along < start + m_barThickness;
}

RECT CScSplitterImpl::BarRect() const {
  const int split = (m_vertical ? m_splitterRect.left : m_splitterRect.top) + m_pos;
  return m_vertical ? RECT{split, m_splitterRect.top, split + m_barThickness, m_splitterRect.bottom}
                    : RECT{m_splitterRect.left, split, m_splitterRect.right, split + m_barThickness};
}

void CScSplitterImpl::OnBarMouse(uint32_t type, int x, int y) {
  const int along = m_vertical ? x - m_splitterRect.left : y - m_splitterRect.top;
  switch (type) {
    case kEventMouseMove: {
      if (!m_dragging) return;
      int pos = along - m_dragOffset;
      if (pos == -1) pos = -2;  // -1 would read as "not set"
      if (pos == m_pos) return;
      if (m_fullDrag) {
        SetSplitterPos(pos, true);
      } else {
        DrawGhostBar();
        SetSplitterPos(pos, false);
        DrawGhostBar();
      }
      return;
    }
    case kEventLButtonDown:
      if (!HitTestBar(x, y)) return;
      if (!m_fullDrag) DrawGhostBar();
      m_dragOffset = along - m_pos;
      m_dragging = true;
      return;
    case kEventLButtonUp:
    case kEventMouseOut:
      if (m_dragging && !m_fullDrag) {
        DrawGhostBar();
        m_dragging = false;
        UpdateSplitLayout();
      }
      m_dragging = false;
      return;
    default:
      return;
  }
}

void CScSplitterImpl::DrawGhostBar() {
  HWND host = nullptr;
  POINT at{};
  if (!GhostBarHost(host, at)) return;
  RECT bar = BarRect();
  // The window DC starts at the frame's corner: add the client area's offset inside the frame.
  RECT frame{};
  POINT client{0, 0};
  ::GetWindowRect(host, &frame);
  ::ClientToScreen(host, &client);
  ::OffsetRect(&bar, at.x + client.x - frame.left, at.y + client.y - frame.top);
  HDC dc = ::GetWindowDC(host);
  if (dc == nullptr) return;
  if (HBRUSH brush = CreateHalftoneBrush()) {
    HGDIOBJ old = ::SelectObject(dc, brush);
    ::PatBlt(dc, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, PATINVERT);
    ::SelectObject(dc, old);
    ::DeleteObject(brush);
  }
  ::ReleaseDC(host, dc);
}

}  // namespace velmor
