#include <cstdlib>
#include <vector>

#include "sticky/sticky_supports.h"

namespace velmor {
namespace {

bool Within(LONG a, LONG b, int distance) { return std::labs(a - b) < distance; }
// 'value' in [low, high).
bool Inside(LONG value, LONG low, LONG high) { return value >= low && value < high; }
bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

scStickySide DetectStickySide(const RECT& t, const RECT& w, int d) {
  scStickySide side = kNotDocked;
  if (Inside(w.top, t.top, t.bottom) || Inside(w.bottom, t.top, t.bottom)) {
    if (Within(w.left, t.right, d))
      side = kDockedRight;
    else if (Within(w.right, t.left, d))
      side = kDockedLeft;
  }
  if (Inside(w.left, t.left, t.right) || Inside(w.right, t.left, t.right)) {
    if (Within(w.top, t.bottom, d))
      side = kDockedBelow;
    else if (Within(w.bottom, t.top, d))
      side = kDockedAbove;
  }
  return side;
}

RECT PlaceOnSide(scStickySide side, const RECT& t, const RECT& w, LONG offsetX, LONG offsetY) {
  const LONG width = w.right - w.left;
  const LONG height = w.bottom - w.top;
  LONG left = w.left;
  LONG top = w.top;
  switch (side) {
    case kDockedRight: left = t.right, top = t.top + offsetY; break;
    case kDockedBelow: top = t.bottom, left = t.left + offsetX; break;
    case kDockedLeft: left = t.left - width, top = t.top + offsetY; break;
    case kDockedAbove: top = t.top - height, left = t.left + offsetX; break;
    case kNotDocked: break;
  }
  return {left, top, left + width, top + height};
}

// The role objects.

HRESULT scStickyFace::GetWindowRect(RECT* rect) {
  if (m_core == nullptr) return E_UNEXPECTED;
  return m_core->OwnRect(rect);
}

HRESULT scStickyFace::MoveWindow(const RECT* rect) {
  if (m_core == nullptr) return E_UNEXPECTED;
  RETURN_HR_IF_NULL(E_POINTER, rect);
  return m_core->MoveOwn(*rect);
}

HRESULT CStickySupportsServer::RegisterClient(IUnknown* client, ULONG_PTR* key) {
  if (m_core == nullptr) return E_UNEXPECTED;
  return m_core->Register(client, key);
}

HRESULT CStickySupportsServer::UnregisterClient(ULONG_PTR key) {
  if (m_core == nullptr) return E_UNEXPECTED;
  return m_core->Unregister(key);
}

HRESULT CStickySupportsClient::TargetMoved(const RECT* target) {
  if (m_core == nullptr) return E_UNEXPECTED;
  RETURN_HR_IF_NULL(E_POINTER, target);
  return m_core->FollowTarget(*target);
}

HRESULT CStickySupportsClient::RefuseDocked() const {
  if (m_core == nullptr) return E_UNEXPECTED;
  return m_core->DockedSide() != kNotDocked ? E_NOTIMPL : S_OK;
}

// The core.

scStickyCore::~scStickyCore() {
  Detach();
  // Other windows may still hold the role objects: they answer E_UNEXPECTED from now on.
  if (m_server) m_server->Orphan();
  if (m_client) m_client->Orphan();
}

HRESULT scStickyCore::QueryServer(void** ppv) {
  RETURN_HR_IF_NULL(E_POINTER, ppv);
  *ppv = nullptr;
  if (!m_server) RETURN_IF_FAILED(CStickySupportsServer::CreateObject(&m_server, this));
  return m_server->QueryInterface(__uuidof(scIStickySupports), ppv);
}

HRESULT scStickyCore::Attach(int distance, IUnknown* parent) {
  RETURN_HR_IF(E_UNEXPECTED, m_window == nullptr);
  RETURN_HR_IF(E_INVALIDARG, distance <= 0);
  // A new target: the windows sticking to this one stay.
  auto clients = std::move(m_clients);
  Detach();
  m_clients = std::move(clients);
  m_distance = distance;
  m_target = nullptr;
  if (parent != nullptr) {
    if (!m_client) RETURN_IF_FAILED(CStickySupportsClient::CreateObject(&m_client, this));
    ComPtr<scIStickySupports> server;
    if (SUCCEEDED(parent->QueryInterface(IID_PPV_ARGS(&server))) &&
        SUCCEEDED(server->RegisterClient(m_client.Get(), &m_key))) {
      m_targetServer = std::move(server);
    }
    ComPtr<scIWidget> widget;
    if (SUCCEEDED(parent->QueryInterface(IID_PPV_ARGS(&widget)))) (void)widget->GetWindow(&m_target);
  }
  // A window without a parent window sticks to the desktop.
  if (m_target == nullptr) m_target = ::GetDesktopWindow();
  return S_OK;
}

void scStickyCore::Detach() {
  if (ComPtr<scIStickySupports> server = std::move(m_targetServer))
    (void)server->UnregisterClient(m_key);
  m_key = 0;
  m_target = nullptr;
  m_distance = 0;
  m_side = kNotDocked;
  m_moving = false;
  // Taken out first: releasing a client may end its window, which unregisters from this one.
  auto clients = std::move(m_clients);
  m_clients.clear();
}

HRESULT scStickyCore::Register(IUnknown* client, ULONG_PTR* key) {
  RETURN_HR_IF_NULL(E_POINTER, key);
  *key = 0;
  RETURN_HR_IF_NULL(E_INVALIDARG, client);
  ComPtr<scIStickySupports> supports;
  RETURN_IF_FAILED(client->QueryInterface(IID_PPV_ARGS(&supports)));
  scIStickySupports* id = supports.Get();
  try {
    // A client registered twice keeps its first entry and key.
    if (m_clients.find(id) == m_clients.end()) m_clients.emplace(id, std::move(supports));
  }
  VELMOR_CATCH_RETURN()
  *key = reinterpret_cast<ULONG_PTR>(id);
  return S_OK;
}

HRESULT scStickyCore::Unregister(ULONG_PTR key) {
  auto found = m_clients.find(reinterpret_cast<scIStickySupports*>(key));
  if (found == m_clients.end()) return S_FALSE;
  ComPtr<scIStickySupports> gone = std::move(found->second);
  m_clients.erase(found);
  return S_OK;
}

HRESULT scStickyCore::OwnRect(RECT* rect) const {
  RETURN_HR_IF_NULL(E_POINTER, rect);
  RETURN_HR_IF(E_UNEXPECTED, m_window == nullptr);
  return ::GetWindowRect(m_window, rect) ? S_OK : E_FAIL;
}

HRESULT scStickyCore::MoveOwn(const RECT& r) const {
  RETURN_HR_IF(E_UNEXPECTED, m_window == nullptr);
  return ::MoveWindow(m_window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE) ? S_OK
                                                                                         : E_FAIL;
}

bool scStickyCore::TargetRect(RECT* rect) const {
  return m_target != nullptr && ::GetWindowRect(m_target, rect) != FALSE;
}

std::vector<ComPtr<scIStickySupports>> scStickyCore::Clients() const {
  std::vector<ComPtr<scIStickySupports>> clients;
  try {
    clients.reserve(m_clients.size());
    for (const auto& entry : m_clients) clients.push_back(entry.second);
  } catch (...) {
    clients.clear();
  }
  return clients;
}

void scStickyCore::TellClients(Notice notice, const RECT& rect) {
  for (const auto& client : Clients()) (void)(client.Get()->*notice)(&rect);
}

void scStickyCore::OnEnterSizeMove() {
  RECT own{};
  if (FAILED(OwnRect(&own))) return;
  TellClients(&scIStickySupports::TargetBeginMoveSize, own);
  m_moving = true;
}

bool scStickyCore::OnMoving(RECT* p) {
  if (p == nullptr) return false;
  TellClients(&scIStickySupports::TargetMoving, *p);
  RECT t{};
  if (!m_moving || m_distance <= 0 || !TargetRect(&t)) return false;
  const LONG width = p->right - p->left;
  const LONG height = p->bottom - p->top;
  // The window snaps onto the edge as soon as it comes within the distance.
  switch (DetectStickySide(t, *p, m_distance)) {
    case kDockedRight: p->left = t.right; break;
    case kDockedBelow: p->top = t.bottom; break;
    case kDockedLeft: p->left = t.left - width; break;
    case kDockedAbove: p->top = t.top - height; break;
    case kNotDocked: return false;
  }
  p->right = p->left + width;
  p->bottom = p->top + height;
  return true;
}

bool scStickyCore::OnSizing(UINT edge, RECT* p) {
  if (p == nullptr) return false;
  for (const auto& client : Clients()) (void)client->TargetSizing(edge, p);
  RECT t{};
  if (!m_moving || m_distance <= 0 || !TargetRect(&t)) return false;
  const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
  const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
  const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
  const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
  const RECT before = *p;
  if (left && Within(p->left, t.right, m_distance)) p->left = t.right;
  if (top && Within(p->top, t.bottom, m_distance)) p->top = t.bottom;
  if (right && Within(p->right, t.left, m_distance)) p->right = t.left;
  if (bottom && Within(p->bottom, t.top, m_distance)) p->bottom = t.top;
  return !SameRect(before, *p);
}

void scStickyCore::OnPositionChanged(Notice notice) {
  RECT own{};
  if (FAILED(OwnRect(&own))) return;
  // Windows docked to this one follow it first; a chain of docked windows moves link by link.
  TellClients(notice, own);
  // A programmatic move or size may put the window onto an edge or take it off one.
  if (!m_moving && m_distance > 0) DockWhereItLies();
}

void scStickyCore::OnExitSizeMove() {
  RECT own{};
  if (FAILED(OwnRect(&own))) return;
  TellClients(&scIStickySupports::TargetEndMoveSize, own);
  m_moving = false;
  if (m_distance > 0) DockWhereItLies();
}

void scStickyCore::DockWhereItLies() {
  RECT t{}, own{};
  if (!TargetRect(&t) || FAILED(OwnRect(&own))) return;
  m_side = DetectStickySide(t, own, m_distance);
  if (m_side == kNotDocked) return;
  m_offsetX = own.left - t.left;
  m_offsetY = own.top - t.top;
  const RECT placed = PlaceOnSide(m_side, t, own, m_offsetX, m_offsetY);
  // Already flush: no move, so no second round of notices.
  if (!SameRect(placed, own)) (void)MoveOwn(placed);
}

HRESULT scStickyCore::FollowTarget(const RECT& target) {
  if (m_side == kNotDocked) return S_OK;
  RECT own{};
  RETURN_IF_FAILED(OwnRect(&own));
  const RECT placed = PlaceOnSide(m_side, target, own, m_offsetX, m_offsetY);
  if (SameRect(placed, own)) return S_OK;
  return MoveOwn(placed);
}

}  // namespace velmor
