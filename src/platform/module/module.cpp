// The program's module and its resources, installed by the application's resource library.
#include <platform/resources.h>
#include <platform/text.h>
#include <platform_internal/resource_lookup.h>

#include <map>
#include <mutex>
#include <utility>

struct ResourceObject {
    std::vector<BYTE> bytes;
};

struct ModuleObject {
    std::mutex mutex;
    std::map<std::pair<unsigned, unsigned>, ResourceObject> resources;
    std::map<unsigned, std::u16string> strings;
};

namespace {

ModuleObject& MainModule() {
    static auto* module = new ModuleObject;
    return *module;
}

unsigned NumberOf(LPCWSTR name) {
    return IS_INTRESOURCE(name) ? static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name)) : 0;
}

ModuleObject* Valid(HINSTANCE module) {
    return module == nullptr || module == &MainModule() ? &MainModule() : nullptr;
}

}  // namespace

HINSTANCE GetModuleHandleW(LPCWSTR name) {
    return name == nullptr ? &MainModule() : nullptr;
}

void AddResource(HINSTANCE module, LPCWSTR type, unsigned id, std::vector<BYTE> bytes) {
    ModuleObject* target = Valid(module);
    if (target == nullptr || !IS_INTRESOURCE(type)) {
        return;
    }
    std::lock_guard lock(target->mutex);
    target->resources[{NumberOf(type), id}].bytes = std::move(bytes);
}

void AddStringResource(HINSTANCE module, unsigned id, const std::u16string& text) {
    ModuleObject* target = Valid(module);
    if (target == nullptr) {
        return;
    }
    std::lock_guard lock(target->mutex);
    target->strings[id] = text;
}

HRSRC FindResourceW(HINSTANCE module, LPCWSTR name, LPCWSTR type) {
    ModuleObject* target = Valid(module);
    if (target == nullptr || !IS_INTRESOURCE(name) || !IS_INTRESOURCE(type)) {
        return nullptr;
    }
    std::lock_guard lock(target->mutex);
    auto found = target->resources.find({NumberOf(type), NumberOf(name)});
    return found == target->resources.end() ? nullptr : &found->second;  // map nodes are stable
}

HGLOBAL LoadResource(HINSTANCE, HRSRC resource) {
    return resource;
}

DWORD SizeofResource(HINSTANCE, HRSRC resource) {
    return resource == nullptr ? 0 : static_cast<DWORD>(resource->bytes.size());
}

LPVOID LockResource(HGLOBAL data) {
    auto* resource = static_cast<ResourceObject*>(data);
    return resource == nullptr ? nullptr : resource->bytes.data();
}

int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int capacity) {
    ModuleObject* target = Valid(module);
    if (target == nullptr || buffer == nullptr || capacity <= 0) {
        return 0;
    }
    std::lock_guard lock(target->mutex);
    auto found = target->strings.find(id);
    if (found == target->strings.end()) {
        buffer[0] = 0;
        return 0;
    }
    lstrcpynW(buffer, found->second.c_str(), capacity);
    return lstrlenW(buffer);
}

std::size_t ResourceBytesFrom(const void* data) {
    ModuleObject& module = MainModule();
    std::lock_guard lock(module.mutex);
    auto* byte = static_cast<const BYTE*>(data);
    for (const auto& [key, resource] : module.resources) {
        const BYTE* begin = resource.bytes.data();
        if (byte != nullptr && byte >= begin && byte < begin + resource.bytes.size()) {
            return static_cast<std::size_t>(begin + resource.bytes.size() - byte);
        }
    }
    return 0;
}
