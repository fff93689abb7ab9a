// The registry calls over the store: handles name keys of the tree; every change is written to
// the file before the call returns, and undone in memory when that write fails.
#include <platform/registry.h>
#include <platform/text.h>

#include "registry_store.h"

#include <mutex>
#include <unordered_set>

struct RegistryKeyObject {
    std::shared_ptr<RegistryKey> key;
};

namespace {

constexpr LONG ERROR_KEY_DELETED = 1018;
constexpr std::size_t kMaxKeyName = 255;
constexpr std::size_t kMaxValueName = 16383;
constexpr DWORD kMaxValueSize = 1 << 20;

std::unordered_set<RegistryKeyObject*>& OpenKeys() {
    static auto* keys = new std::unordered_set<RegistryKeyObject*>;
    return *keys;
}

// The key a handle names, or null for an unknown or closed handle. Store lock held.
std::shared_ptr<RegistryKey> Resolve(HKEY handle, RegistryRoots& roots) {
    if (handle == HKEY_CURRENT_USER) {
        return roots.currentUser;
    }
    if (handle == HKEY_LOCAL_MACHINE) {
        return roots.localMachine;
    }
    if (OpenKeys().count(handle) == 0) {
        return nullptr;
    }
    return handle->key;
}

LONG KeyError(const std::shared_ptr<RegistryKey>& key) {
    return !key ? ERROR_INVALID_HANDLE : key->Deleted() ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

std::u16string_view NameOf(LPCWSTR name) {
    return name == nullptr ? u"" : name;
}

// Splits a sub-path on backslashes; empty components are skipped. False for an over-long name.
bool SplitPath(LPCWSTR path, std::vector<std::u16string>& parts) {
    std::u16string current;
    for (const WCHAR* p = path; p != nullptr && *p != 0; ++p) {
        if (*p != u'\\') {
            current += *p;
            continue;
        }
        if (!current.empty()) {
            parts.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty()) {
        parts.push_back(std::move(current));
    }
    for (const auto& part : parts) {
        if (part.size() > kMaxKeyName) {
            return false;
        }
    }
    return true;
}

// The store's lock and the key a handle names (with the error to return when there is none).
struct LockedKey {
    std::unique_lock<std::mutex> lock;
    std::shared_ptr<RegistryKey> key;
    LONG error = ERROR_SUCCESS;
};

LockedKey LockKey(HKEY handle) {
    RegistryStore& store = RegistryStore::Instance();
    LockedKey locked{store.Acquire(), nullptr, ERROR_SUCCESS};
    locked.key = Resolve(handle, store.Roots());
    locked.error = KeyError(locked.key);
    return locked;
}

// The start of every call that walks a sub-path: the store's lock, the parent key and the
// path's names. ERROR_SUCCESS when all three are good.
LONG LockPath(HKEY parent, LPCWSTR subKey, LockedKey& locked, std::vector<std::u16string>& parts) {
    locked = LockKey(parent);
    if (locked.error != ERROR_SUCCESS) {
        return locked.error;
    }
    return SplitPath(subKey, parts) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

HKEY NewHandle(std::shared_ptr<RegistryKey> key) {
    auto* object = new (std::nothrow) RegistryKeyObject{std::move(key)};
    if (object != nullptr) {
        OpenKeys().insert(object);
    }
    return object;
}

// For a call that opens a key below parent: checks and clears result, then locks the path.
LONG LockPathFor(PHKEY result, HKEY parent, LPCWSTR subKey, LockedKey& locked,
                 std::vector<std::u16string>& parts) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    return LockPath(parent, subKey, locked, parts);
}

}  // namespace

LONG RegCreateKeyExW(HKEY parent, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM,
                     LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
    LockedKey locked;
    std::vector<std::u16string> parts;
    if (LONG error = LockPathFor(result, parent, subKey, locked, parts); error != ERROR_SUCCESS) {
        return error;
    }
    auto& key = locked.key;
    std::shared_ptr<RegistryKey> firstCreatedParent;
    std::u16string firstCreated;
    for (const auto& part : parts) {
        auto child = key->FindChild(part);
        if (!child) {
            child = key->AddChild(part);
            if (!firstCreatedParent) {
                firstCreatedParent = key;
                firstCreated = part;
            }
        }
        key = child;
    }
    if (firstCreatedParent && !RegistryStore::Instance().Persist()) {
        std::size_t position = 0;
        firstCreatedParent->RemoveChild(firstCreated, &position);
        return ERROR_WRITE_FAULT;
    }
    HKEY handle = NewHandle(key);
    if (handle == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *result = handle;
    if (disposition != nullptr) {
        *disposition = firstCreatedParent ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExW(HKEY parent, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
    LockedKey locked;
    std::vector<std::u16string> parts;
    if (LONG error = LockPathFor(result, parent, subKey, locked, parts); error != ERROR_SUCCESS) {
        return error;
    }
    auto& key = locked.key;
    for (const auto& part : parts) {
        key = key->FindChild(part);
        if (!key) {
            return ERROR_FILE_NOT_FOUND;
        }
    }
    HKEY handle = NewHandle(key);
    if (handle == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *result = handle;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY handle) {
    if (handle == HKEY_CURRENT_USER || handle == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    RegistryStore& store = RegistryStore::Instance();
    auto lock = store.Acquire();
    if (OpenKeys().erase(handle) == 0) {
        return ERROR_INVALID_HANDLE;
    }
    delete handle;
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY handle, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    LockedKey locked = LockKey(handle);
    if (locked.error != ERROR_SUCCESS) {
        return locked.error;
    }
    auto& key = locked.key;
    const RegistryValue* value = key->FindValue(NameOf(name));
    if (value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    auto needed = static_cast<DWORD>(value->data.size());
    if (data != nullptr) {
        if (size == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::copy(value->data.begin(), value->data.end(), data);
    }
    if (size != nullptr) {
        *size = needed;
    }
    return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY handle, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if ((data == nullptr && size != 0) || size > kMaxValueSize ||
        NameOf(name).size() > kMaxValueName) {
        return ERROR_INVALID_PARAMETER;
    }
    LockedKey locked = LockKey(handle);
    if (locked.error != ERROR_SUCCESS) {
        return locked.error;
    }
    auto& key = locked.key;
    RegistryValue value{std::u16string(NameOf(name)), type,
                        std::vector<BYTE>(data, data == nullptr ? data : data + size)};
    auto previous = key->SetValue(std::move(value));
    if (!RegistryStore::Instance().Persist()) {
        if (previous) {
            key->SetValue(std::move(*previous));
        } else {
            key->RemoveValue(NameOf(name));
        }
        return ERROR_WRITE_FAULT;
    }
    return ERROR_SUCCESS;
}

LONG RegDeleteValueW(HKEY handle, LPCWSTR name) {
    LockedKey locked = LockKey(handle);
    if (locked.error != ERROR_SUCCESS) {
        return locked.error;
    }
    auto& key = locked.key;
    auto previous = key->RemoveValue(NameOf(name));
    if (!previous) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (!RegistryStore::Instance().Persist()) {
        key->SetValue(std::move(*previous));
        return ERROR_WRITE_FAULT;
    }
    return ERROR_SUCCESS;
}

LONG RegDeleteKeyW(HKEY handle, LPCWSTR subKey) {
    LockedKey locked;
    std::vector<std::u16string> parts;
    if (LONG error = LockPath(handle, subKey, locked, parts); error != ERROR_SUCCESS) {
        return error;
    }
    if (parts.empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    auto& key = locked.key;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        key = key->FindChild(parts[i]);
        if (!key) {
            return ERROR_FILE_NOT_FOUND;
        }
    }
    std::size_t position = 0;
    auto removed = key->RemoveChild(parts.back(), &position);
    if (!removed) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (!RegistryStore::Instance().Persist()) {
        key->InsertChild(std::move(removed), position);
        return ERROR_WRITE_FAULT;
    }
    removed->MarkDeleted();
    return ERROR_SUCCESS;
}

LONG RegEnumKeyExW(HKEY handle, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPWSTR,
                   LPDWORD, FILETIME*) {
    if (name == nullptr || nameLength == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    LockedKey locked = LockKey(handle);
    if (locked.error != ERROR_SUCCESS) {
        return locked.error;
    }
    auto& key = locked.key;
    const auto& children = key->Children();
    if (index >= children.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const std::u16string& childName = children[index]->Name();
    if (*nameLength < childName.size() + 1) {
        return ERROR_MORE_DATA;
    }
    std::copy(childName.begin(), childName.end(), name);
    name[childName.size()] = 0;
    *nameLength = static_cast<DWORD>(childName.size());
    return ERROR_SUCCESS;
}

void ReloadRegistry() {
    RegistryStore::Instance().Reload();
}
