// The PS3 Memory Card Adaptor (USB 054c:02ea) as a Transport: requests go to its bulk OUT
// endpoint, answers come from its bulk IN endpoint. Built on libusb-1.0 when the build found it;
// without it "usb" says that this build cannot reach the adaptor.
#pragma once

#include <memory>
#include <string>

#include "device/transport.h"

namespace selvane::device {

inline constexpr std::uint16_t kAdaptorVendor = 0x054C;
inline constexpr std::uint16_t kAdaptorProduct = 0x02EA;

// Whether this build has USB support at all.
bool UsbSupported();
// Whether an adaptor is plugged in (false without USB support).
bool UsbAdaptorPresent();
// Opens the first adaptor found; nullptr with the reason when there is none or it cannot be used.
std::unique_ptr<Transport> OpenUsbAdaptor(std::string& reason);

}  // namespace selvane::device
