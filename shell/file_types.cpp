#include "shell/file_types.h"

#include <algorithm>
#include <vector>

namespace selvane::shell {

void RegisterFileTypes(const RegistryContext& context) {
  if (!QueryValue(context, kClassesRoot, kRegisteredMarkKey, "").empty()) return;
  for (const FileType& type : kFileTypes) CreateFileType(context, type.extension, type.typeName);
}

void CreateFileType(const RegistryContext& context, std::string_view extension, std::string_view typeName) {
  std::string folder = context.programFolder;
  if (!folder.ends_with('\\')) folder += '\\';
  const std::string program = folder + std::string(kProgramFileName);
  const std::string name(typeName);

  Registry& registry = context.registry;
  SetKeyValue(registry, kClassesRoot, extension, kRegSz, "", name);
  SetKeyValue(registry, kClassesRoot, name, kRegSz, "", name);
  SetKeyValue(registry, kClassesRoot, name + "\\DefaultIcon", kRegSz, "", "\"" + program + ",0\"");
  SetKeyValue(registry, kClassesRoot, name + "\\Shell", kRegSz, "", "");
  SetKeyValue(registry, kClassesRoot, name + "\\Shell\\Open", kRegSz, "", "");
  SetKeyValue(registry, kClassesRoot, name + "\\Shell\\Open\\command", kRegSz, "", program + " %1");
}

bool SetKeyValue(Registry& registry, RegKey keyRoot, std::string_view keyName, std::uint32_t lType,
                 std::string_view subKeyRef, std::string_view keyVal) {
  RegKey key = 0;
  RegStatus status = registry.OpenKeyEx(keyRoot, keyName, 0, kWriteAccess, &key);
  if (status != kSuccess) {
    // Creating also opens the key; whether it worked shows in the write that follows.
    registry.CreateKey(keyRoot, keyName, &key);
  }
  if (lType == kRegSz) {
    std::vector<std::uint8_t> data(keyVal.begin(), keyVal.end());
    data.push_back(0);
    status = registry.SetValueEx(key, subKeyRef, kRegSz, data);
  }
  registry.CloseKey(key);
  return status == kSuccess;
}

std::string QueryValue(const RegistryContext& context, RegKey root, std::string_view keyPath,
                       std::string_view valueName) {
  RegKey key = 0;
  if (context.registry.OpenKey(root, keyPath, &key) != kSuccess) return {};

  std::array<std::uint8_t, kQueryBufferSize> buffer{};
  std::uint32_t size = kQueryBufferSize;
  std::uint32_t type = 0;
  std::string result;
  // A size of 1 is the NUL alone. The size is clipped to the buffer in case a registry reports
  // more than it was given room for.
  if (context.registry.QueryValueEx(key, valueName, &type, buffer, &size) == kSuccess && size >= 2) {
    const std::size_t length = std::min<std::size_t>(size, buffer.size()) - 1;
    result.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
  }
  if (context.registry.CloseKey(key) != kSuccess) {
    context.messages.ShowExclamation(context.applicationTitle, std::string(kCloseFailedPrefix) + std::string(keyPath));
  }
  return result;
}

std::string ProgramFolderOf(std::string_view programPath) {
  const std::size_t slash = programPath.find_last_of('\\');
  if (slash == std::string_view::npos) return {};
  std::string folder(programPath.substr(0, slash));
  if (folder.ends_with(':')) folder += '\\';  // a drive's root keeps its backslash
  return folder;
}

}  // namespace selvane::shell
