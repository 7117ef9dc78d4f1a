// Calls of a dual interface's members straight through its vtable, for the common case where the
// caller's arguments already have the declared types. Scripts make millions of such calls (a
// property read, getElementById with a string); handing each to the platform's DispInvoke costs a
// type-library search, a copy of every argument and of the result, on every call.
//
// The table is read once from the interface's own type information, so it cannot drift from the
// declarations. Only members whose parameters are plain values (long, BSTR, VARIANT_BOOL, double,
// VARIANT, IDispatch*, IUnknown*) with at most a trailing [out, retval] are called directly, and
// only when the call needs nothing from the platform: the exact argument count, each argument of
// the declared type (any VARIANT for a VARIANT parameter), no named arguments except
// DISPID_PROPERTYPUT on a put. Everything else (coercion, missing or optional arguments, VT_BYREF,
// wrong counts and their errors) is left to DispInvoke, so results and errors are the platform's.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <vector>

namespace velmor {

class DirectInvokeTable {
 public:
  // The table of the interface 'info' describes (either face of a dual interface). An empty
  // table, which calls nothing directly, when the description cannot be read.
  explicit DirectInvokeTable(ITypeInfo* info);

  // Calls the member directly when it can; false leaves the call to DispInvoke, untouched.
  [[nodiscard]] bool TryInvoke(void* self, DISPID id, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* excep, HRESULT* hr) const;

  // How many members the table may call directly (for tests and the benchmark report).
  [[nodiscard]] size_t DirectCount() const;

  // Process-wide switch, on by default: off sends every call to DispInvoke, so a benchmark or a
  // diagnosis can compare the two paths in one run.
  static void SetEnabled(bool enabled);
  [[nodiscard]] static bool Enabled();

  static constexpr UINT kMaxArgs = 4;

 private:
  struct Member {
    MEMBERID id;
    INVOKEKIND kind;
    bool direct;  // false: the platform's search finds this member first, so it must call it
    UINT vtableOffset;
    UINT argCount;               // values the caller passes (the retval is not one)
    VARTYPE argTypes[kMaxArgs];  // declared types, VT_VARIANT for VARIANT parameters
    VARTYPE resultType;          // VT_EMPTY: no [out, retval]
  };
  void AddMembers(ITypeInfo* info, int depth);

  std::vector<Member> m_members;  // in the order the platform searches them
};

}  // namespace velmor
