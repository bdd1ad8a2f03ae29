#include "device/usb_transport.h"

#include <algorithm>
#include <vector>

#if defined(SELVANE_HAVE_LIBUSB)
#include <libusb.h>

#include "dynlib/lazy_library.h"
#endif

namespace selvane::device {

#if defined(SELVANE_HAVE_LIBUSB)
namespace {

// The libusb functions the adaptor needs, bound when the adaptor is first looked for.
struct Libusb {
  decltype(&::libusb_init) libusb_init = nullptr;
  decltype(&::libusb_exit) libusb_exit = nullptr;
  decltype(&::libusb_get_device_list) libusb_get_device_list = nullptr;
  decltype(&::libusb_free_device_list) libusb_free_device_list = nullptr;
  decltype(&::libusb_get_device_descriptor) libusb_get_device_descriptor = nullptr;
  decltype(&::libusb_open_device_with_vid_pid) libusb_open_device_with_vid_pid = nullptr;
  decltype(&::libusb_set_auto_detach_kernel_driver) libusb_set_auto_detach_kernel_driver = nullptr;
  decltype(&::libusb_claim_interface) libusb_claim_interface = nullptr;
  decltype(&::libusb_release_interface) libusb_release_interface = nullptr;
  decltype(&::libusb_close) libusb_close = nullptr;
  decltype(&::libusb_bulk_transfer) libusb_bulk_transfer = nullptr;
  decltype(&::libusb_strerror) libusb_strerror = nullptr;
};

// libusb's functions, or nullptr with the reason when libusb-1.0 cannot be loaded.
const Libusb* LoadLibusb(std::string& reason) {
  static dynlib::LazyLibrary library("libusb-1.0.so.0");
  static const Libusb* const bound = [] {
    static Libusb table;
    return (library.Bind(table.libusb_init, "libusb_init") && library.Bind(table.libusb_exit, "libusb_exit") &&
            library.Bind(table.libusb_get_device_list, "libusb_get_device_list") &&
            library.Bind(table.libusb_free_device_list, "libusb_free_device_list") &&
            library.Bind(table.libusb_get_device_descriptor, "libusb_get_device_descriptor") &&
            library.Bind(table.libusb_open_device_with_vid_pid, "libusb_open_device_with_vid_pid") &&
            library.Bind(table.libusb_set_auto_detach_kernel_driver, "libusb_set_auto_detach_kernel_driver") &&
            library.Bind(table.libusb_claim_interface, "libusb_claim_interface") &&
            library.Bind(table.libusb_release_interface, "libusb_release_interface") &&
            library.Bind(table.libusb_close, "libusb_close") &&
            library.Bind(table.libusb_bulk_transfer, "libusb_bulk_transfer") &&
            library.Bind(table.libusb_strerror, "libusb_strerror"))
               ? &table
               : nullptr;
  }();
  if (bound == nullptr) reason = "USB cannot be used: " + library.Error();
  return bound;
}

constexpr unsigned char kBulkOut = 0x02;
constexpr unsigned char kBulkIn = 0x81;
constexpr int kInterface = 0;
constexpr std::size_t kPacketSize = 512;

class UsbAdaptor : public Transport {
 public:
  UsbAdaptor(const Libusb& usb, libusb_context* context, libusb_device_handle* handle)
      : usb_(usb), context_(context), handle_(handle) {}
  ~UsbAdaptor() override {
    usb_.libusb_release_interface(handle_, kInterface);
    usb_.libusb_close(handle_);
    usb_.libusb_exit(context_);
  }
  UsbAdaptor(const UsbAdaptor&) = delete;
  UsbAdaptor& operator=(const UsbAdaptor&) = delete;

  IoStatus Write(Bytes data) override {
    std::vector<unsigned char> packet(data.begin(), data.end());
    int sent = 0;
    const int rc =
        usb_.libusb_bulk_transfer(handle_, kBulkOut, packet.data(), static_cast<int>(packet.size()), &sent, 1000);
    if (rc != 0 || sent != static_cast<int>(packet.size())) return Fail(rc != 0 ? rc : LIBUSB_ERROR_IO);
    return IoStatus::Ok;
  }

  IoStatus ReadExact(MutableBytes out, Millis timeout) override {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::size_t got = 0;
    while (got < out.size()) {
      if (!pending_.empty()) {
        const std::size_t n = std::min(pending_.size(), out.size() - got);
        std::copy_n(pending_.begin(), n, out.begin() + static_cast<std::ptrdiff_t>(got));
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
        got += n;
        continue;
      }
      const auto left = std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now()).count();
      if (left <= 0) return IoStatus::TimedOut;
      unsigned char packet[kPacketSize];
      int received = 0;
      const int rc = usb_.libusb_bulk_transfer(handle_, kBulkIn, packet, sizeof packet, &received,
                                               static_cast<unsigned int>(left));
      if (rc == LIBUSB_ERROR_TIMEOUT) return IoStatus::TimedOut;
      if (rc != 0) return Fail(rc);
      pending_.insert(pending_.end(), packet, packet + received);
    }
    return IoStatus::Ok;
  }

  void Drain() override { pending_.clear(); }
  std::string LastError() const override { return error_; }

 private:
  IoStatus Fail(int rc) {
    error_ = usb_.libusb_strerror(rc);
    return IoStatus::Gone;
  }
  const Libusb& usb_;
  libusb_context* context_;
  libusb_device_handle* handle_;
  std::vector<std::uint8_t> pending_;
  std::string error_;
};

}  // namespace

bool UsbSupported() { return true; }

bool UsbAdaptorPresent() {
  std::string reason;
  const Libusb* const loaded = LoadLibusb(reason);
  if (loaded == nullptr) return false;
  const Libusb& usb = *loaded;
  libusb_context* context = nullptr;
  if (usb.libusb_init(&context) != 0) return false;
  libusb_device** list = nullptr;
  const ssize_t count = usb.libusb_get_device_list(context, &list);
  bool found = false;
  for (ssize_t i = 0; i < count && !found; ++i) {
    libusb_device_descriptor descriptor{};
    found = usb.libusb_get_device_descriptor(list[i], &descriptor) == 0 && descriptor.idVendor == kAdaptorVendor &&
            descriptor.idProduct == kAdaptorProduct;
  }
  if (count >= 0) usb.libusb_free_device_list(list, 1);
  usb.libusb_exit(context);
  return found;
}

std::unique_ptr<Transport> OpenUsbAdaptor(std::string& reason) {
  const Libusb* const loaded = LoadLibusb(reason);
  if (loaded == nullptr) return nullptr;
  const Libusb& usb = *loaded;
  libusb_context* context = nullptr;
  if (const int rc = usb.libusb_init(&context); rc != 0) {
    reason = std::string("USB cannot be used: ") + usb.libusb_strerror(rc);
    return nullptr;
  }
  libusb_device_handle* handle = usb.libusb_open_device_with_vid_pid(context, kAdaptorVendor, kAdaptorProduct);
  if (handle == nullptr) {
    reason =
        "no PS3 Memory Card Adaptor found, or no permission to use it (install the udev rule and plug it in again)";
    usb.libusb_exit(context);
    return nullptr;
  }
  usb.libusb_set_auto_detach_kernel_driver(handle, 1);
  if (const int rc = usb.libusb_claim_interface(handle, kInterface); rc != 0) {
    reason = std::string("the PS3 Memory Card Adaptor cannot be claimed: ") + usb.libusb_strerror(rc);
    usb.libusb_close(handle);
    usb.libusb_exit(context);
    return nullptr;
  }
  return std::make_unique<UsbAdaptor>(usb, context, handle);
}

#else

bool UsbSupported() { return false; }
bool UsbAdaptorPresent() { return false; }
std::unique_ptr<Transport> OpenUsbAdaptor(std::string& reason) {
  reason = "this build of Selvane has no USB support (it was built without libusb-1.0)";
  return nullptr;
}

#endif

}  // namespace selvane::device
