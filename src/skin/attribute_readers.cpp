#include "skin/attribute_readers.h"

#include <windows.h>
#include <oleauto.h>

#include "base/bstr.h"
#include "skin/content.h"
#include "skin/value_grammar.h"

namespace velmor {
namespace {

// Script objects may answer their property with another object; a chain this long is treated as
// a cycle.
constexpr int kMaxObjectHops = 16;

// Replaces an object value by the object's property called 'name'. False when it cannot be read.
bool ReadObjectProperty(const wchar_t* name, UniqueVariant& value) {
  IDispatch* object = V_DISPATCH(&value);
  if (object == nullptr) return false;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID dispid = DISPID_UNKNOWN;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid))) return false;
  DISPPARAMS none = {};
  UniqueVariant result;
  if (FAILED(object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                            &result, nullptr, nullptr)))
    return false;
  value.Clear();
  result.Detach(&value);
  return true;
}

// Reads the attribute and resolves stored objects; calls 'convert(variant)' on the final value.
template <class Convert>
bool ReadAttr(scIContent* element, const wchar_t* name, Convert convert) {
  if (element == nullptr || name == nullptr) return false;
  UniqueVariant value;
  if (!element->GetAttr(name, &value)) return false;
  for (int hop = 0; V_VT(&value) == VT_DISPATCH; ++hop) {
    if (hop == kMaxObjectHops || !ReadObjectProperty(name, value)) return false;
  }
  return convert(static_cast<VARIANT&>(value));
}

}  // namespace

bool GetIntAttr(scIContent* element, const wchar_t* name, int32_t& out) {
  return ReadAttr(element, name, [&](VARIANT& v) {
    if (V_VT(&v) == VT_I4) {
      out = V_I4(&v);
      return true;
    }
    if (V_VT(&v) == VT_BSTR) return ParseAutoBaseInt(V_BSTR(&v) ? V_BSTR(&v) : L"", out);
    return false;
  });
}

bool GetColorAttr(scIContent* element, const wchar_t* name, uint32_t& argb) {
  return ReadAttr(element, name, [&](VARIANT& v) {
    if (V_VT(&v) == VT_I4) {
      argb = static_cast<uint32_t>(V_I4(&v));
      return true;
    }
    // Script numbers from 0x80000000 up (every opaque colour) arrive as doubles.
    if (V_VT(&v) == VT_R8 && V_R8(&v) >= 0 && V_R8(&v) <= 4294967295.0 &&
        V_R8(&v) == static_cast<double>(static_cast<uint32_t>(V_R8(&v)))) {
      argb = static_cast<uint32_t>(V_R8(&v));
      return true;
    }
    uint32_t abgr = 0;
    if (V_VT(&v) == VT_BSTR && ParseColor(V_BSTR(&v) ? V_BSTR(&v) : L"", abgr)) {
      argb = SwapRedBlue(abgr);
      return true;
    }
    return false;
  });
}

bool GetStringAttr(scIContent* element, const wchar_t* name, std::wstring& out) {
  return ReadAttr(element, name, [&](VARIANT& v) {
    if (V_VT(&v) != VT_BSTR) return false;
    out.assign(V_BSTR(&v) ? V_BSTR(&v) : L"", ::SysStringLen(V_BSTR(&v)));
    return true;
  });
}

bool GetBoolAttr(scIContent* element, const wchar_t* name, bool& out) {
  return ReadAttr(element, name, [&](VARIANT& v) {
    switch (V_VT(&v)) {
      case VT_BOOL:
        out = V_BOOL(&v) != VARIANT_FALSE;
        return true;
      case VT_I2:
        out = V_I2(&v) != 0;
        return true;
      case VT_I4:
        out = V_I4(&v) != 0;
        return true;
      case VT_BSTR:
        return ParseBool(V_BSTR(&v) ? V_BSTR(&v) : L"", out);
      default:
        return false;
    }
  });
}

}  // namespace velmor
