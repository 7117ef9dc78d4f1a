// The platform timer. A thread timer (SetTimer without a window) fires on the thread that armed
// it, from that thread's message loop, so callbacks never run concurrently with the UI thread.
// An armed timer holds a reference to itself until it is cancelled or its one shot has fired.
#include <map>

#include "base/handles.h"
#include "services.h"
#include "typeinfo_dispatch.h"

namespace vmrt {
namespace {

class CTimer;
velmor::CriticalSection g_timersLock;
std::map<UINT_PTR, CTimer*>& ArmedTimers() {
  static std::map<UINT_PTR, CTimer*> timers;
  return timers;
}

class CTimer final : public velmor::ComObject<CTimer, nsITimer> {
 public:
  STDMETHODIMP InitWithFuncCallback(nsTimerCallbackFunc callback, void* closure, ULONG delay,
                                    ULONG type) override {
    if (callback == nullptr) return E_POINTER;
    if (type > 2) return E_INVALIDARG;
    Cancel();
    m_callback = callback;
    m_closure = closure;
    m_delay = delay;
    m_type = type;
    return Arm();
  }
  STDMETHODIMP Cancel() override {
    if (m_id == 0) return S_OK;
    Disarm();
    return S_OK;
  }
  STDMETHODIMP SetDelay(ULONG delay) override {
    m_delay = delay;
    if (m_id == 0) return S_OK;
    // Re-arming the same thread timer replaces its interval from the next firing on.
    if (::SetTimer(nullptr, m_id, m_delay, &CTimer::TimerProc) == 0)
      return velmor::HResultFromLastError();
    return S_OK;
  }
  STDMETHODIMP GetDelay(ULONG* delay) override { return GiveValue(m_delay, delay); }
  STDMETHODIMP GetType(ULONG* type) override { return GiveValue(m_type, type); }

  // Cancels the timer if it belongs to the calling thread (thread timers can only be killed
  // there); answers whether it did.
  bool CancelIfOwnedByThisThread() {
    if (m_thread != ::GetCurrentThreadId()) return false;
    Disarm();
    return true;
  }

 private:
  [[nodiscard]] HRESULT Arm() {
    const UINT_PTR id = ::SetTimer(nullptr, 0, m_delay, &CTimer::TimerProc);
    if (id == 0) return velmor::HResultFromLastError();
    m_id = id;
    m_thread = ::GetCurrentThreadId();
    {
      velmor::CriticalSection::Scope scope(g_timersLock);
      ArmedTimers()[id] = this;
    }
    AddRef();  // the armed timer keeps itself alive
    return S_OK;
  }
  void Disarm() {
    const UINT_PTR id = m_id;
    m_id = 0;
    ::KillTimer(nullptr, id);
    {
      velmor::CriticalSection::Scope scope(g_timersLock);
      ArmedTimers().erase(id);
    }
    Release();
  }

  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    velmor::ComPtr<CTimer> timer;
    {
      velmor::CriticalSection::Scope scope(g_timersLock);
      auto it = ArmedTimers().find(id);
      if (it == ArmedTimers().end()) {
        ::KillTimer(nullptr, id);
        return;
      }
      timer = it->second;
    }
    if (timer->m_type == 0) timer->Disarm();
    timer->m_callback(timer.Get(), timer->m_closure);
  }

  nsTimerCallbackFunc m_callback = nullptr;
  void* m_closure = nullptr;
  ULONG m_delay = 0;
  ULONG m_type = 0;
  UINT_PTR m_id = 0;
  DWORD m_thread = 0;
};

}  // namespace

[[nodiscard]] HRESULT CreateTimer(REFIID iid, void** object) {
  velmor::ComPtr<nsITimer> timer;
  RETURN_IF_FAILED(CTimer::Create(timer));
  return timer->QueryInterface(iid, object);
}

void CancelAllTimers() {
  for (;;) {
    velmor::ComPtr<CTimer> timer;
    {
      velmor::CriticalSection::Scope scope(g_timersLock);
      for (auto& [id, t] : ArmedTimers()) {
        timer = t;
        break;
      }
    }
    if (!timer || !timer->CancelIfOwnedByThisThread()) return;
  }
}

}  // namespace vmrt
