// DevicePtr: the small RAII holder of a reference-counted device object (IDirect3D8, the device,
// textures, surfaces, buffers), releasing its reference on destruction.
#pragma once

#include <utility>

// Holds one reference to a T with AddRef/Release. Adopting a raw pointer takes over the
// reference the caller already holds (as after a Create call); copies add a reference.
template <typename T>
class DevicePtr {
public:
    DevicePtr() = default;
    // Adopts p's reference.
    explicit DevicePtr(T* p) : p_(p) {}
    DevicePtr(const DevicePtr& other) : p_(other.p_) {
        if (p_) {
            p_->AddRef();
        }
    }
    DevicePtr(DevicePtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~DevicePtr() { Reset(); }

    DevicePtr& operator=(const DevicePtr& other) {
        DevicePtr copy(other);
        Swap(copy);
        return *this;
    }
    DevicePtr& operator=(DevicePtr&& other) noexcept {
        DevicePtr moved(std::move(other));
        Swap(moved);
        return *this;
    }

    // A holder with a new reference of p (p itself keeps the caller's reference).
    static DevicePtr Share(T* p) {
        if (p) {
            p->AddRef();
        }
        return DevicePtr(p);
    }

    // Releases the held reference, if any, and adopts p's.
    void Reset(T* p = nullptr) {
        T* old = std::exchange(p_, p);
        if (old) {
            old->Release();
        }
    }
    // Gives up the reference without releasing it.
    [[nodiscard]] T* Detach() { return std::exchange(p_, nullptr); }
    // Releases the held reference and returns the slot for a Create call's out-argument.
    T** ReleaseAndGetAddressOf() {
        Reset();
        return &p_;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void Swap(DevicePtr& other) noexcept { std::swap(p_, other.p_); }

    friend bool operator==(const DevicePtr& a, const DevicePtr& b) { return a.p_ == b.p_; }
    friend bool operator==(const DevicePtr& a, const T* b) { return a.p_ == b; }

private:
    T* p_ = nullptr;
};
