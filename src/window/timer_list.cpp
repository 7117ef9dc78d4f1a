#include "window/timer_list.h"

#include <new>

namespace velmor {

// One timer. References: the list, the armed platform timer, a queued timer message and a
// running evaluation each hold one.
class scTimer final : private LiveObjectCounter<scTimer> {
 public:
  void AddRef() { ++m_refs; }
  void Release() {
    if (--m_refs == 0) delete this;
  }
  ~scTimer() {
    if (platformTimer) platformTimer->Cancel();
  }

  // Arms the platform timer for one shot after 'delay' milliseconds.
  HRESULT Arm(ULONG delay) {
    AddRef();
    armed = true;
    const HRESULT hr = platformTimer->InitWithFuncCallback(&scTimer::OnDue, this, delay, 0);
    // Not armed after all: take that reference back. The caller holds one of its own, so the
    // record never goes here.
    if (FAILED(hr) && armed.exchange(false)) --m_refs;
    return hr;
  }
  // Cancels and lets go of the platform timer. The caller holds a reference of its own.
  void Disarm() {
    ComPtr<nsITimer> timer = std::move(platformTimer);
    if (timer) timer->Cancel();
    // Whoever clears the armed mark owns the armed timer's reference: here, or the callback.
    if (armed.exchange(false)) Release();
  }

  scTimer* next = nullptr;
  scTimer* previous = nullptr;
  HWND window = nullptr;
  ComPtr<nsITimer> platformTimer;
  std::atomic<bool> armed{false};
  std::atomic<bool> cancelled{false};
  bool queued = false;   // a timer message for it is in the queue
  bool retired = false;  // cleared while queued: on the list's retired list
  bool running = false;
  ULONG interval = 0;   // 0 for a timeout
  DWORD due = 0;        // GetTickCount value
  LONG id = 0;
  std::wstring expression;

 private:
  // The platform timer's callback: it only posts the timer message (with a reference).
  static void __stdcall OnDue(nsITimer*, void* closure) {
    auto* self = static_cast<scTimer*>(closure);
    if (!self->armed.exchange(false)) return;  // cancelled: the canceller took the reference
    if (!self->cancelled) {
      self->AddRef();
      self->queued = true;
      if (!::PostMessageW(self->window, kTimerMessage, reinterpret_cast<WPARAM>(self), 0)) {
        self->queued = false;
        self->Release();
      }
    }
    self->Release();
  }

  std::atomic<long> m_refs{1};
};

namespace {

// Whether tick count 'a' is later than 'b' (tick counts wrap after 49.7 days).
bool Later(DWORD a, DWORD b) { return static_cast<LONG>(a - b) > 0; }

}  // namespace

HRESULT scTimerList::Add(HWND window, BSTR expression, LONG msec, bool repeat, LONG* id) {
  if (id == nullptr) return E_POINTER;
  *id = 0;
  if (expression == nullptr) return E_INVALIDARG;
  if (window == nullptr) return E_UNEXPECTED;
  const ULONG delay = static_cast<ULONG>(msec < kMinTimerDelay ? kMinTimerDelay : msec);
  scTimer* timer = new (std::nothrow) scTimer;
  RETURN_IF_NULL_ALLOC(timer);
  try {
    timer->expression.assign(expression, ::SysStringLen(expression));
  } catch (const std::bad_alloc&) {
    timer->Release();
    return E_OUTOFMEMORY;
  }
  timer->window = window;
  timer->interval = repeat ? delay : 0;
  timer->due = ::GetTickCount() + delay;
  HRESULT hr = components::CreateInstance(contracts::kTimer, timer->platformTimer);
  if (SUCCEEDED(hr)) hr = timer->platformTimer ? timer->Arm(delay) : E_FAIL;
  if (FAILED(hr)) {
    timer->Disarm();
    timer->Release();
    return hr;
  }
  Insert(timer);  // the list keeps the creation reference
  timer->id = ++m_lastId;
  *id = timer->id;
  return S_OK;
}

void scTimerList::Clear(LONG id) {
  scTimer* timer = m_first;
  while (timer != nullptr && timer->id != id) timer = timer->next;
  if (timer == nullptr) return;
  if (timer->running) {
    // Clearing itself: not armed again once the expression ends.
    timer->interval = 0;
    return;
  }
  Unlink(timer);
  timer->cancelled = true;
  timer->Disarm();
  if (timer->queued) {
    // Its message is ignored when it comes; keep it findable so its reference is taken back.
    timer->retired = true;
    timer->next = m_retired;
    if (m_retired != nullptr) m_retired->previous = timer;
    m_retired = timer;
  }
  timer->Release();
}

void scTimerList::CancelAll(HWND window) {
  MSG message;
  while (window != nullptr &&
         ::PeekMessageW(&message, window, kTimerMessage, kTimerMessage, PM_REMOVE | PM_NOYIELD)) {
    if (scTimer* timer = Find(message.wParam)) ReleaseQueuedMessage(timer);
  }
  while (scTimer* timer = m_first) {
    Unlink(timer);
    timer->cancelled = true;
    timer->Disarm();
    ReleaseQueuedMessage(timer);
    timer->Release();
  }
  // What is still marked queued lost its message with its window: its reference goes too.
  while (scTimer* timer = m_retired) ReleaseQueuedMessage(timer);
}

void scTimerList::OnTimerMessage(WPARAM wParam, scIScriptContext* context) {
  scTimer* timer = Find(wParam);
  if (timer == nullptr) return;
  // Adopt the message's reference for the time of the run.
  timer->AddRef();
  ReleaseQueuedMessage(timer);
  struct Holder {
    scTimer* timer;
    ~Holder() { timer->Release(); }
  } holder{timer};
  if (timer->cancelled || context == nullptr) return;

  timer->running = true;
  // The outcome is of no interest: a failing expression does not stop its interval.
  (void)context->EvaluateString(timer->expression.c_str(), nullptr, nullptr);
  timer->running = false;
  // Destroying the window during the run cancelled every timer and emptied the list.
  if (timer->cancelled) return;

  bool rearmed = false;
  if (timer->interval != 0 && timer->platformTimer) {
    timer->due = ::GetTickCount() + timer->interval;
    rearmed = SUCCEEDED(timer->Arm(timer->interval));
  }
  if (!rearmed) timer->Disarm();
  Unlink(timer);
  if (rearmed)
    Insert(timer);
  else
    timer->Release();  // the list's reference: the timer is finished
}

size_t scTimerList::Count() const {
  size_t count = 0;
  for (const scTimer* timer = m_first; timer != nullptr; timer = timer->next) ++count;
  return count;
}

long scTimerList::LiveRecords() { return LiveObjects<scTimer>::Count(); }

void scTimerList::Insert(scTimer* timer) {
  // From the end backwards to the last timer that is not due later.
  scTimer* before = m_last;
  while (before != nullptr && Later(before->due, timer->due)) before = before->previous;
  timer->previous = before;
  timer->next = before != nullptr ? before->next : m_first;
  (timer->next != nullptr ? timer->next->previous : m_last) = timer;
  (before != nullptr ? before->next : m_first) = timer;
}

void scTimerList::Unlink(scTimer* timer) {
  (timer->previous != nullptr ? timer->previous->next : m_first) = timer->next;
  (timer->next != nullptr ? timer->next->previous : m_last) = timer->previous;
  timer->next = timer->previous = nullptr;
}

scTimer* scTimerList::Find(WPARAM candidate) const {
  if (candidate == 0) return nullptr;
  for (scTimer* list : {m_first, m_retired}) {
    for (scTimer* timer = list; timer != nullptr; timer = timer->next)
      if (reinterpret_cast<WPARAM>(timer) == candidate) return timer;
  }
  return nullptr;
}

void scTimerList::ReleaseQueuedMessage(scTimer* timer) {
  if (!timer->queued) return;
  timer->queued = false;
  if (timer->retired) {
    timer->retired = false;
    (timer->previous != nullptr ? timer->previous->next : m_retired) = timer->next;
    if (timer->next != nullptr) timer->next->previous = timer->previous;
    timer->next = timer->previous = nullptr;
  }
  timer->Release();
}

}  // namespace velmor
