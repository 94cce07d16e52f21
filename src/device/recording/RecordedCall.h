// One call as the call-recording device logged it: the object, the method, the arguments in
// order and the result, comparable in tests and printable for their messages.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "device/D3D8.h"

// One argument. Integers and enumerations are kept as 64-bit values (signed ones sign-extended),
// floats as floats, resource and other pointers by address (null for a null pointer), and what
// a pointer argument points to as a copy: a matrix, a record, declaration tokens, rectangles,
// points, or the bytes of vertices and indices drawn from user memory. Out-arguments are
// recorded as the value the call stored, or as the pointer when the call failed.
class RecordedArg {
public:
    using Value = std::variant<std::uint64_t, float, const void*, Matrix, D3DVIEWPORT8,
                               D3DMATERIAL8, D3DLIGHT8, D3DSURFACE_DESC, D3DVERTEXBUFFER_DESC,
                               D3DINDEXBUFFER_DESC, RECT, std::vector<DWORD>, std::vector<BYTE>,
                               std::vector<D3DRECT>, std::vector<RECT>, std::vector<POINT>>;

    template <typename T>
    requires(std::is_integral_v<T> || std::is_enum_v<T>) RecordedArg(T v)
        : value_(static_cast<std::uint64_t>(v)) {}
    RecordedArg(float v) : value_(v) {}
    RecordedArg(const void* p) : value_(p) {}
    RecordedArg(std::nullptr_t) : value_(static_cast<const void*>(nullptr)) {}
    RecordedArg(const Matrix& m) : value_(m) {}
    RecordedArg(const D3DVIEWPORT8& v) : value_(v) {}
    RecordedArg(const D3DMATERIAL8& v) : value_(v) {}
    RecordedArg(const D3DLIGHT8& v) : value_(v) {}
    RecordedArg(const D3DSURFACE_DESC& v) : value_(v) {}
    RecordedArg(const D3DVERTEXBUFFER_DESC& v) : value_(v) {}
    RecordedArg(const D3DINDEXBUFFER_DESC& v) : value_(v) {}
    RecordedArg(const RECT& v) : value_(v) {}
    RecordedArg(std::vector<DWORD> v) : value_(std::move(v)) {}
    RecordedArg(std::vector<BYTE> v) : value_(std::move(v)) {}
    RecordedArg(std::vector<D3DRECT> v) : value_(std::move(v)) {}
    RecordedArg(std::vector<RECT> v) : value_(std::move(v)) {}
    RecordedArg(std::vector<POINT> v) : value_(std::move(v)) {}

    const Value& Get() const { return value_; }
    // The value as T; T must be the alternative held (std::bad_variant_access otherwise).
    template <typename T>
    const T& As() const {
        return std::get<T>(value_);
    }
    std::string ToString() const;

    friend bool operator==(const RecordedArg&, const RecordedArg&) = default;

private:
    Value value_;
};

using RecordedArgs = std::vector<RecordedArg>;

struct RecordedCall {
    // The object called: the device, or a texture, surface or buffer.
    const void* object = nullptr;
    // The method name; calls on resources carry their interface: "IDirect3DTexture8::LockRect".
    std::string method;
    RecordedArgs args;
    // The HRESULT, or the returned value of a method that returns something else (ShowCursor's
    // BOOL, GetLevelCount's count); 0 for a method without a result.
    std::int64_t result = 0;

    // "SetRenderState(22, 1) -> 0x0": arguments as written by RecordedArg::ToString, the
    // result in hexadecimal.
    std::string ToString() const;
};
