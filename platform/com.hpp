// COM without hand-written Release or CoUninitialize: an owning interface pointer and the
// apartment of the calling thread, both released by their destructors.
#pragma once
#include <objbase.h>

#include <utility>

namespace kestrom::platform {

// Owns one reference to an interface. Move-only.
template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) reset(std::exchange(o.p_, nullptr));
    return *this;
  }
  ~ComPtr() { reset(); }
  // Takes over a reference the caller already holds.
  static ComPtr adopt(T* p) noexcept {
    ComPtr out;
    out.p_ = p;
    return out;
  }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  void reset(T* p = nullptr) noexcept {
    if (p_) p_->Release();
    p_ = p;
  }
  // Asks this object for another of its interfaces; empty when it has none.
  template <typename U>
  ComPtr<U> query(REFIID iid) const noexcept {
    void* other = nullptr;
    if (!p_ || FAILED(p_->QueryInterface(iid, &other))) return {};
    return ComPtr<U>::adopt(static_cast<U*>(other));
  }

 private:
  T* p_ = nullptr;
};

// Creates an in-process object; empty when COM cannot.
template <typename T>
ComPtr<T> create_instance(REFCLSID clsid, REFIID iid) noexcept {
  void* object = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, &object))) return {};
  return ComPtr<T>::adopt(static_cast<T*>(object));
}

// COM for the calling thread for as long as the object lives. A thread whose initialisation
// failed (another apartment model chosen before) must not uninitialise, and does not.
class ComApartment {
 public:
  explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) noexcept
      : ready_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
  ~ComApartment() {
    if (ready_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  explicit operator bool() const noexcept { return ready_; }

 private:
  bool ready_;
};

}  // namespace kestrom::platform
