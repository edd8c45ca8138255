#include "host/PluginLibrary.h"

#include "host/DesktopCalls.h"
#include "host/PropertyList.h"

#ifdef _WIN32
#include <windows.h>

#include <cstring>
#else
#include <dlfcn.h>
#endif

namespace host {

namespace {
// The entry point a filter's property list names for 64-bit x86 code; empty when the list is
// damaged, is not a filter's or names none.
std::string EntryPointName(const std::vector<uint8_t>& bytes) {
    const auto properties = ParsePropertyList(bytes);
    const Property* kind = properties ? FindProperty(*properties, FourCC("kind")) : nullptr;
    const Property* code = properties ? FindProperty(*properties, FourCC("8664")) : nullptr;
    if (kind == nullptr || kind->data.size() < 4 || code == nullptr)
        return std::string();
    return PropertyCString(*code);
}
} // namespace

bool PluginLibrary::Reload(std::string* error) {
    if (module_ == nullptr || path_.empty())
        return true; // an entry linked into the program: nothing to load again
    const std::string path = path_;
    return Load(path, error);
}

#ifdef _WIN32

namespace {
// The resource the 'hstm' property names, read only when its version is 0, as hosts do.
void ReadTerminology(HMODULE module, const std::vector<Property>& properties, std::vector<uint8_t>* out) {
    out->clear();
    const Property* hstm = FindProperty(properties, FourCC("hstm"));
    if (hstm == nullptr || hstm->data.size() < 14)
        return;
    int32_t version = 0;
    uint16_t id = 0;
    std::memcpy(&version, hstm->data.data(), 4);
    std::memcpy(&id, hstm->data.data() + 12, 2);
    if (version != 0)
        return;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), "AETE");
    HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const auto* bytes = static_cast<const uint8_t*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (bytes != nullptr)
        out->assign(bytes, bytes + SizeofResource(module, resource));
}
} // namespace

bool PluginLibrary::Load(const std::string& path, std::string* error) {
    Unload();
    // The path is UTF-8, as the plug-in keeps its own: a library in any folder a user can have.
    std::wstring widePath;
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, nullptr, 0);
    if (units > 0) {
        widePath.resize(static_cast<size_t>(units));
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, &widePath[0], units);
    }
    HMODULE module = units > 0 ? LoadLibraryW(widePath.c_str()) : nullptr;
    if (module == nullptr) {
        *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    module_ = module;
    if (!RedirectDesktopCalls(module, error)) {
        *error = path + ": " + *error;
        Unload();
        return false;
    }
    HRSRC resource =
        FindResourceExA(module, "PIPL", MAKEINTRESOURCEA(16000), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        *error = path + " carries no property list";
        Unload();
        return false;
    }
    const auto* begin = static_cast<const uint8_t*>(bytes);
    propertyList_.assign(begin, begin + SizeofResource(module, resource));
    const std::string entryName = EntryPointName(propertyList_);
    if (entryName.empty()) {
        *error = path + ": the property list names no 64-bit filter entry point";
        Unload();
        return false;
    }
    ReadTerminology(module, *ParsePropertyList(propertyList_), &terminology_);
    entry_ = reinterpret_cast<PluginEntryProc>(reinterpret_cast<void*>(GetProcAddress(module, entryName.c_str())));
    if (entry_ == nullptr) {
        *error = path + " does not export " + entryName;
        Unload();
        return false;
    }
    path_ = path;
    return true;
}

void PluginLibrary::Unload() {
    if (module_ != nullptr)
        FreeLibrary(static_cast<HMODULE>(module_));
    module_ = nullptr;
    entry_ = nullptr;
    path_.clear();
    propertyList_.clear();
    terminology_.clear();
}

void* PluginLibrary::Symbol(const char* name) const {
    if (module_ == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module_), name));
}

#else

bool PluginLibrary::Load(const std::string& path, std::string* error) {
    Unload();
    module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_ == nullptr) {
        const char* reason = dlerror();
        *error = "cannot load " + path + (reason != nullptr ? std::string(": ") + reason : std::string());
        return false;
    }
    // A Linux library carries its property list as exported data, where Windows has a resource.
    const auto* bytes = static_cast<const uint8_t*>(dlsym(module_, "PluginPropertyList"));
    const auto* size = static_cast<const size_t*>(dlsym(module_, "PluginPropertyListSize"));
    if (bytes == nullptr || size == nullptr) {
        *error = path + " carries no property list";
        Unload();
        return false;
    }
    propertyList_.assign(bytes, bytes + *size);
    const std::string entryName = EntryPointName(propertyList_);
    if (entryName.empty()) {
        *error = path + ": the property list names no 64-bit filter entry point";
        Unload();
        return false;
    }
    entry_ = reinterpret_cast<PluginEntryProc>(dlsym(module_, entryName.c_str()));
    if (entry_ == nullptr) {
        *error = path + " does not export " + entryName;
        Unload();
        return false;
    }
    path_ = path;
    return true;
}

void PluginLibrary::Unload() {
    if (module_ != nullptr)
        dlclose(module_);
    module_ = nullptr;
    entry_ = nullptr;
    path_.clear();
    propertyList_.clear();
}

void* PluginLibrary::Symbol(const char* name) const {
    return module_ != nullptr ? dlsym(module_, name) : nullptr;
}

#endif

} // namespace host
