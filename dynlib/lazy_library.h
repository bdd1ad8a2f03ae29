#pragma once
// A shared library opened the first time a command needs it, not when the program starts: most
// runs of selvane-cli and the window convert or copy saves and never sign a file, write a PNG or
// talk to the USB adaptor, and loading libcrypto, libpng and libusb with their own dependencies
// cost every run a few milliseconds. POSIX only (dlopen); the Windows build links the system
// libraries it uses directly.

#include <string>

namespace selvane::dynlib {

class LazyLibrary {
 public:
  // soname: the name the build was made against, e.g. "libcrypto.so.3".
  explicit LazyLibrary(const char* soname) : soname_(soname) {}
  LazyLibrary(const LazyLibrary&) = delete;
  LazyLibrary& operator=(const LazyLibrary&) = delete;

  // Opens the library on the first call; later calls answer from that. The library stays
  // loaded until the program ends (libcrypto keeps exit handlers of its own).
  bool Open();
  // The address of a function, or nullptr when the library or the name is missing.
  void* Symbol(const char* name);
  // Why Open() or the last Symbol() failed, for the user's message.
  const std::string& Error() const { return error_; }

  // Binds a function pointer to the symbol of that name; false when it is missing.
  template <class Function>
  bool Bind(Function*& function, const char* name) {
    function = reinterpret_cast<Function*>(Symbol(name));
    return function != nullptr;
  }

 private:
  const char* soname_;
  void* handle_ = nullptr;
  bool tried_ = false;
  std::string error_;
};

}  // namespace selvane::dynlib
