// Magnetic windows. Every document window owns one scStickyCore with two roles: it is the server
// of the windows that stick to it and the client of the one window it sticks to (its opener, or
// the desktop). While the user drags or sizes a window near an edge of its target, the window
// snaps onto that edge; a window left on an edge is docked there and follows its target, keeping
// its side and its offset along the edge. The two roles reach other windows as two small objects
// answering scIStickySupports that forward to the core.
#pragma once
#include <windows.h>

#include <map>
#include <vector>

#include "base/com_object.h"
#include "skin/content.h"

// What a sticky window offers to the windows around it. The server object of a window takes
// registrations; the client object hears about the target's moves and sizes. Both answer the
// rectangle and move of their own window. Rectangles are screen rectangles of outer windows.
struct scIStickySupports : public IUnknown {
  // Server: keeps 'client' (asked for scIStickySupports); the key identifies it later.
  virtual HRESULT STDMETHODCALLTYPE RegisterClient(IUnknown* client, ULONG_PTR* key) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnregisterClient(ULONG_PTR key) = 0;
  // Client: the target's interactive move or size begins, proceeds and ends.
  virtual HRESULT STDMETHODCALLTYPE TargetBeginMoveSize(const RECT* target) = 0;
  virtual HRESULT STDMETHODCALLTYPE TargetMoving(const RECT* proposed) = 0;
  virtual HRESULT STDMETHODCALLTYPE TargetMoved(const RECT* target) = 0;
  virtual HRESULT STDMETHODCALLTYPE TargetEndMoveSize(const RECT* target) = 0;
  virtual HRESULT STDMETHODCALLTYPE TargetReserved1(const RECT* target) = 0;
  virtual HRESULT STDMETHODCALLTYPE TargetSizing(UINT edge, const RECT* proposed) = 0;
  virtual HRESULT STDMETHODCALLTYPE TargetResized(const RECT* target) = 0;
  virtual HRESULT STDMETHODCALLTYPE TargetReserved2(const RECT* target) = 0;
  // Both: the own window's rectangle, and moving the own window (repainted).
  virtual HRESULT STDMETHODCALLTYPE GetWindowRect(RECT* rect) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveWindow(const RECT* rect) = 0;
};
__CRT_UUID_DECL(scIStickySupports, 0xf382d95c, 0x2713, 0x41af, 0xaf, 0x98, 0x08, 0xdb, 0xce, 0x04,
                0xce, 0x17)

namespace velmor {

class scStickyCore;

// The side of its target a window is docked on: which of its own edges lies on which of the
// target's.
enum scStickySide : int {
  kNotDocked = 0,
  kDockedRight = 1,  // own left edge on the target's right edge
  kDockedBelow = 2,  // own top on the target's bottom
  kDockedLeft = 3,   // own right on the target's left
  kDockedAbove = 4,  // own bottom on the target's top
};

// The side on which 'window' lies within 'distance' pixels of an edge of 'target', or
// kNotDocked. A top or bottom edge found wins over a left or right one.
scStickySide DetectStickySide(const RECT& target, const RECT& window, int distance);
// 'window' (its size kept) placed on 'side' of 'target', 'offsetX'/'offsetY' along the edge.
RECT PlaceOnSide(scStickySide side, const RECT& target, const RECT& window, LONG offsetX,
                 LONG offsetY);

// The part both role objects share: the own window's rectangle and move, and the core they
// forward to (null once the core is gone, when every call answers E_UNEXPECTED).
class scStickyFace : public scIStickySupports {
 public:
  using ComInterface = scIStickySupports;
  void Orphan() { m_core = nullptr; }

  HRESULT STDMETHODCALLTYPE GetWindowRect(RECT* rect) override;
  HRESULT STDMETHODCALLTYPE MoveWindow(const RECT* rect) override;
  HRESULT STDMETHODCALLTYPE TargetReserved1(const RECT*) override { return Refuse(); }
  HRESULT STDMETHODCALLTYPE TargetReserved2(const RECT*) override { return Refuse(); }

 protected:
  // E_NOTIMPL for what this role does not do.
  HRESULT Refuse() const { return m_core != nullptr ? E_NOTIMPL : E_UNEXPECTED; }
  scStickyCore* m_core = nullptr;
};

class CStickySupportsServer final : public ComObject<CStickySupportsServer, scStickyFace> {
 public:
  explicit CStickySupportsServer(scStickyCore* core) { m_core = core; }
  HRESULT STDMETHODCALLTYPE RegisterClient(IUnknown* client, ULONG_PTR* key) override;
  HRESULT STDMETHODCALLTYPE UnregisterClient(ULONG_PTR key) override;
  HRESULT STDMETHODCALLTYPE TargetBeginMoveSize(const RECT*) override { return Refuse(); }
  HRESULT STDMETHODCALLTYPE TargetMoving(const RECT*) override { return Refuse(); }
  HRESULT STDMETHODCALLTYPE TargetMoved(const RECT*) override { return Refuse(); }
  HRESULT STDMETHODCALLTYPE TargetEndMoveSize(const RECT*) override { return Refuse(); }
  HRESULT STDMETHODCALLTYPE TargetSizing(UINT, const RECT*) override { return Refuse(); }
  HRESULT STDMETHODCALLTYPE TargetResized(const RECT*) override { return Refuse(); }
};

class CStickySupportsClient final : public ComObject<CStickySupportsClient, scStickyFace> {
 public:
  explicit CStickySupportsClient(scStickyCore* core) { m_core = core; }
  HRESULT STDMETHODCALLTYPE RegisterClient(IUnknown*, ULONG_PTR*) override { return Refuse(); }
  HRESULT STDMETHODCALLTYPE UnregisterClient(ULONG_PTR) override { return Refuse(); }
  // A docked window stays where its target puts it while the target is dragged or sized.
  HRESULT STDMETHODCALLTYPE TargetBeginMoveSize(const RECT*) override { return RefuseDocked(); }
  HRESULT STDMETHODCALLTYPE TargetMoving(const RECT*) override { return Ignore(); }
  HRESULT STDMETHODCALLTYPE TargetMoved(const RECT* target) override;
  HRESULT STDMETHODCALLTYPE TargetEndMoveSize(const RECT*) override { return Ignore(); }
  HRESULT STDMETHODCALLTYPE TargetReserved1(const RECT*) override { return Ignore(); }
  HRESULT STDMETHODCALLTYPE TargetSizing(UINT, const RECT*) override { return RefuseDocked(); }
  HRESULT STDMETHODCALLTYPE TargetResized(const RECT* target) override { return TargetMoved(target); }
  HRESULT STDMETHODCALLTYPE TargetReserved2(const RECT*) override { return Ignore(); }

 private:
  HRESULT Ignore() const { return m_core != nullptr ? S_OK : E_UNEXPECTED; }
  HRESULT RefuseDocked() const;
};

// The sticky core of one document window. The document hands it its window and the move and
// size messages of the system's move-size loop; Attach makes the window magnetic.
class scStickyCore {
 public:
  scStickyCore() = default;
  ~scStickyCore();
  scStickyCore(const scStickyCore&) = delete;
  scStickyCore& operator=(const scStickyCore&) = delete;

  // The document's native window (null when it is destroyed).
  void SetWindow(HWND window) { m_window = window; }
  // Makes the window stick to 'parent' (a document answering scIStickySupports and scIWidget),
  // or to the desktop without one, snapping within 'distance' pixels.
  HRESULT Attach(int distance, IUnknown* parent);
  // Leaves the target's server and lets go of the windows sticking to this one.
  void Detach();
  // The server object for other windows' QueryInterface.
  HRESULT QueryServer(void** ppv);

  // The system's move-size loop and the window's position changes.
  void OnEnterSizeMove();
  // 'proposed' may be moved onto the target's edge.
  bool OnMoving(RECT* proposed);
  // The moving edges of 'proposed' may be snapped onto the target's edges.
  bool OnSizing(UINT edge, RECT* proposed);
  void OnMoved() { OnPositionChanged(&scIStickySupports::TargetMoved); }
  void OnResized() { OnPositionChanged(&scIStickySupports::TargetResized); }
  void OnExitSizeMove();

  scStickySide DockedSide() const { return m_side; }
  int Distance() const { return m_distance; }
  HWND Target() const { return m_target; }
  size_t ClientCount() const { return m_clients.size(); }

  // Server role.
  HRESULT Register(IUnknown* client, ULONG_PTR* key);
  HRESULT Unregister(ULONG_PTR key);
  // Client role: the target moved or was resized to 'target'.
  HRESULT FollowTarget(const RECT& target);
  // Both roles.
  HRESULT OwnRect(RECT* rect) const;
  HRESULT MoveOwn(const RECT& rect) const;

 private:
  using Notice = HRESULT (STDMETHODCALLTYPE scIStickySupports::*)(const RECT*);
  // The clients in key order, copied: a client may unregister (or close) while it hears.
  std::vector<ComPtr<scIStickySupports>> Clients() const;
  // Calls 'notice' on every client with 'rect'.
  void TellClients(Notice notice, const RECT& rect);
  void OnPositionChanged(Notice notice);
  // Docks to the side the window lies on now (placing it flush there), or undocks.
  void DockWhereItLies();
  bool TargetRect(RECT* rect) const;

  std::map<scIStickySupports*, ComPtr<scIStickySupports>> m_clients;
  int m_distance = 0;
  scStickySide m_side = kNotDocked;
  LONG m_offsetX = 0;
  LONG m_offsetY = 0;
  HWND m_window = nullptr;
  HWND m_target = nullptr;
  bool m_moving = false;
  ComPtr<CStickySupportsServer> m_server;
  ComPtr<CStickySupportsClient> m_client;
  // The target's server and the key this window is registered under there.
  ComPtr<scIStickySupports> m_targetServer;
  ULONG_PTR m_key = 0;
};

}  // namespace velmor
