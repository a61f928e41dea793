#pragma once
// The media player's display interface IPinDisplay, as far as the plug-in
// uses it. It is a dual interface: IUnknown and IDispatch take entries 0 to
// 6 of its table, B2SData sits at entry 32 and B2SInit at entry 37. The
// table is declared as a plain structure so that the compiler can check
// those positions and, on x86, that every entry uses the COM calling
// convention (stdcall): a cdecl entry there would corrupt the stack of the
// host on every call.
#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <type_traits>

namespace zelk::device {

// {88919FAC-00B2-4AA8-B1C7-52AD65C476D3}
inline constexpr CLSID playerDisplayClassId = {
    0x88919FAC, 0x00B2, 0x4AA8, {0xB1, 0xC7, 0x52, 0xAD, 0x65, 0xC4, 0x76, 0xD3}};
// {7A2CCC8D-6AED-43BE-8EBD-4D2CD802F4CE}
inline constexpr IID pinDisplayInterfaceId = {
    0x7A2CCC8D, 0x6AED, 0x43BE, {0x8E, 0xBD, 0x4D, 0x2C, 0xD8, 0x02, 0xF4, 0xCE}};

struct IPinDisplay;

// The player's other operations: never called, they only hold their place.
using PinDisplayUnused = HRESULT(STDMETHODCALLTYPE*)(IPinDisplay*);
using PinDisplayB2SData = HRESULT(STDMETHODCALLTYPE*)(IPinDisplay*, BSTR tIndex, LONG value);
using PinDisplayB2SInit = HRESULT(STDMETHODCALLTYPE*)(IPinDisplay*, BSTR tName, BSTR romName);

struct IPinDisplayVtbl {
    // IUnknown, entries 0 to 2.
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(IPinDisplay*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* AddRef)(IPinDisplay*);
    ULONG(STDMETHODCALLTYPE* Release)(IPinDisplay*);
    // IDispatch, entries 3 to 6.
    HRESULT(STDMETHODCALLTYPE* GetTypeInfoCount)(IPinDisplay*, UINT*);
    HRESULT(STDMETHODCALLTYPE* GetTypeInfo)(IPinDisplay*, UINT, LCID, ITypeInfo**);
    HRESULT(STDMETHODCALLTYPE* GetIDsOfNames)(IPinDisplay*, REFIID, LPOLESTR*, UINT, LCID, DISPID*);
    HRESULT(STDMETHODCALLTYPE* Invoke)(IPinDisplay*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                       EXCEPINFO*, UINT*);
    PinDisplayUnused unused7to31[25];
    PinDisplayB2SData B2SData;  // entry 32
    PinDisplayUnused unused33to36[4];
    PinDisplayB2SInit B2SInit;  // entry 37
};

struct IPinDisplay {
    const IPinDisplayVtbl* lpVtbl;
};

constexpr size_t pinDisplayEntry(size_t offset) { return offset / sizeof(void*); }
static_assert(std::is_standard_layout_v<IPinDisplayVtbl>);
static_assert(pinDisplayEntry(offsetof(IPinDisplayVtbl, QueryInterface)) == 0);
static_assert(pinDisplayEntry(offsetof(IPinDisplayVtbl, Invoke)) == 6);
static_assert(pinDisplayEntry(offsetof(IPinDisplayVtbl, unused7to31)) == 7);
static_assert(pinDisplayEntry(offsetof(IPinDisplayVtbl, B2SData)) == 32, "B2SData is entry 32");
static_assert(pinDisplayEntry(offsetof(IPinDisplayVtbl, B2SInit)) == 37, "B2SInit is entry 37");
static_assert(sizeof(IPinDisplayVtbl) == 38 * sizeof(void*));

// Matches only function pointers with the COM calling convention; on x86,
// cdecl and stdcall pointers are distinct types, on x64 there is one.
template <typename T>
struct IsComMethod : std::false_type {};
template <typename R, typename... Args>
struct IsComMethod<R(STDMETHODCALLTYPE*)(Args...)> : std::true_type {};

static_assert(IsComMethod<PinDisplayB2SData>::value && IsComMethod<PinDisplayB2SInit>::value &&
                  IsComMethod<PinDisplayUnused>::value &&
                  IsComMethod<decltype(IPinDisplayVtbl::QueryInterface)>::value &&
                  IsComMethod<decltype(IPinDisplayVtbl::Release)>::value,
              "player methods use the COM calling convention");
static_assert(std::is_same_v<decltype(IPinDisplayVtbl::B2SData),
                             HRESULT(__stdcall*)(IPinDisplay*, BSTR, LONG)>);
static_assert(std::is_same_v<decltype(IPinDisplayVtbl::B2SInit),
                             HRESULT(__stdcall*)(IPinDisplay*, BSTR, BSTR)>);

}  // namespace zelk::device
