#include "dynlib/lazy_library.h"

#include <dlfcn.h>

namespace selvane::dynlib {

bool LazyLibrary::Open() {
  if (!tried_) {
    tried_ = true;
    handle_ = dlopen(soname_, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
      const char* why = dlerror();
      error_ = std::string(soname_) + " cannot be loaded: " + (why != nullptr ? why : "not found");
    }
  }
  return handle_ != nullptr;
}

void* LazyLibrary::Symbol(const char* name) {
  if (!Open()) return nullptr;
  dlerror();  // clears an earlier error, so the one read below is this look-up's
  void* address = dlsym(handle_, name);
  if (address == nullptr) error_ = std::string(soname_) + " has no function " + name;
  return address;
}

}  // namespace selvane::dynlib
