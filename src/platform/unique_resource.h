// One owner template for every handle the system opens (registry keys, heap blocks, files,
// sockets, libraries): the traits name the handle type, its empty value and how it is
// closed, so each early return of a function releases what the function acquired.
#ifndef HVN_PLATFORM_UNIQUE_RESOURCE_H_
#define HVN_PLATFORM_UNIQUE_RESOURCE_H_

namespace hvn::platform {

// Traits: `using Handle = ...; static Handle Invalid(); static void Close(Handle);`
// Close is only ever called with a handle other than Invalid().
template <typename Traits>
class UniqueResource {
 public:
  using Handle = typename Traits::Handle;

  UniqueResource() : handle_(Traits::Invalid()) {}
  explicit UniqueResource(Handle handle) : handle_(handle) {}
  ~UniqueResource() { Reset(); }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : handle_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle Get() const { return handle_; }
  bool IsValid() const { return handle_ != Traits::Invalid(); }

  // Closes the current handle (if any) and returns the slot for an API to fill, as in
  // RegOpenKeyExA(..., key.Receive()).
  Handle* Receive() {
    Reset();
    return &handle_;
  }

  // Gives up ownership without closing; the owner is empty afterwards.
  Handle Release() {
    Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }

  // Closes the current handle (if any) and takes `handle`.
  void Reset(Handle handle = Traits::Invalid()) {
    Handle old = handle_;
    handle_ = handle;
    if (old != Traits::Invalid()) Traits::Close(old);
  }

 private:
  Handle handle_;
};

}  // namespace hvn::platform

#endif  // HVN_PLATFORM_UNIQUE_RESOURCE_H_
