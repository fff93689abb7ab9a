#include <settings/server_list.h>

#include <platform/core.h>
#include <platform/fs.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <platform/text.h>
#include <resources/resources.h>
#include <settings/password.h>
#include <settings/server_time.h>
#include <settings/thumbnail.h>

#include <algorithm>
#include <memory>
#include <new>

namespace {

void ReadRecord(SettingsKey& key, ServerRecord& record) {
    ServerSettings& s = record.settings;
    key.readString(u"Title", u"", record.Title);
    key.readString(u"Hostname", u"", s.Hostname);
    s.Port = static_cast<LONG>(key.readDword(u"Port", 5900));
    s.SavePassword = key.readDword(u"SavePassword", 1) != 0;
    s.Password[0] = 0;
    if (s.SavePassword) {
        BYTE scrambled[kMaxScrambledPassword];
        DWORD count = key.readBinary(u"Password", scrambled, sizeof scrambled);
        UnscramblePassword(scrambled, count, s.Password);
    }
    s.Shared = key.readDword(u"Shared", 0) != 0;
    s.VideoMode = key.readDword(u"VideoMode", 0);
    s.ActiveUpdate = key.readDword(u"ActiveUpdate", 1) != 0;
    s.Rate = static_cast<LONG>(key.readDword(u"Rate", 0xFFFFFFFF));
}

void WriteRecord(SettingsKey& key, const ServerRecord& record) {
    const ServerSettings& s = record.settings;
    // A password too long for the store is not saved at all rather than saved as another
    // text: the record is stored without it, and the password is asked at the next connection.
    bool savePassword = s.SavePassword && lstrlenW(s.Password) <= kMaxSavedPasswordLength;
    if (s.SavePassword && !savePassword) {
        OutputDebugStringW(u"Password too long to save\r\n");
    }
    key.writeString(u"Title", record.Title);
    key.writeString(u"Hostname", s.Hostname);
    key.writeDword(u"Port", static_cast<DWORD>(s.Port));
    key.writeDword(u"SavePassword", savePassword ? 1 : 0);
    if (savePassword) {
        BYTE scrambled[kMaxScrambledPassword];
        DWORD count = ScramblePassword(s.Password, scrambled);
        key.writeBinary(u"Password", scrambled, count);
    } else {
        key.deleteValue(u"Password");
    }
    key.writeDword(u"Shared", s.Shared ? 1 : 0);
    key.writeDword(u"VideoMode", s.VideoMode);
    key.writeDword(u"ActiveUpdate", s.ActiveUpdate ? 1 : 0);
    key.writeDword(u"Rate", static_cast<DWORD>(s.Rate));
}

HBITMAP Placeholder() {
    static HBITMAP placeholder =
        LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_THUMBNAIL_PLACEHOLDER));
    return placeholder;
}

}  // namespace

void ServerList::LoadAll() {
    std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
    if (!servers) {
        return;
    }
    WCHAR name[kTextCapacity];
    for (DWORD index = 0; servers->enumSubkey(index, name); ++index) {
        std::unique_ptr<SettingsKey> child(servers->openSubkey(name));
        auto* record = new (std::nothrow) ServerRecord;
        if (!child || record == nullptr) {
            delete record;
            continue;
        }
        lstrcpynW(record->Id, name, kServerIdLength + 2);
        ReadRecord(*child, *record);
        records_.push_back(record);
        child->close();
    }
    servers->close();
}

ServerRecord* ServerList::Create(LPCWSTR title, const ServerSettings& settings) {
    auto* record = new (std::nothrow) ServerRecord;
    if (record == nullptr) {
        return nullptr;
    }
    MakeServerId(record->Id);
    lstrcpynW(record->Title, title, kTextCapacity);
    record->settings = settings;
    records_.push_back(record);
    Save(record);
    return record;
}

void ServerList::Save(ServerRecord* record) {
    if (record == nullptr) {
        return;
    }
    {
        std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
        std::unique_ptr<SettingsKey> key(servers ? servers->openSubkey(record->Id) : nullptr);
        if (key) {
            WriteRecord(*key, *record);
            key->close();
        }
    }
    if (record->viewer != nullptr) {
        record->viewer->ApplySettings(&record->settings);
    }
}

void ServerList::Delete(ServerRecord* record) {
    if (record == nullptr) {
        return;
    }
    records_.erase(std::remove(records_.begin(), records_.end(), record), records_.end());
    WCHAR path[kTextCapacity];
    ThumbnailPath(record, path);
    DeleteFileW(path);
    std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
    if (servers && record->Id[0] != 0) {
        servers->deleteSubkey(record->Id);
        servers->close();
    }
    DestroyServerRecord(record);
}

void ServerList::DestroyAll() {
    for (ServerRecord* record : records_) {
        DestroyServerRecord(record);
    }
    records_.clear();
}

ServerRecord* ServerList::FindByViewer(const ServerViewer* viewer) const {
    for (ServerRecord* record : records_) {
        if (record->viewer == viewer) {
            return record;
        }
    }
    return nullptr;
}

void DestroyServerRecord(ServerRecord* record) {
    if (record == nullptr) {
        return;
    }
    delete record->viewer;
    record->viewer = nullptr;
    if (record->thumbnail != nullptr) {
        DeleteObject(record->thumbnail);
    }
    delete record;
}

void ThumbnailPath(const ServerRecord* record, WCHAR* path) {
    WCHAR module[kTextCapacity];
    GetModuleFileNameW(nullptr, module, kTextCapacity);
    std::u16string result(module);
    std::size_t slash = result.rfind(u'\\');
    result = slash == std::u16string::npos ? u"\\" : result.substr(0, slash + 1);
    result += record->Id;
    result += u".bmp";
    lstrcpynW(path, result.c_str(), kTextCapacity);
}

HBITMAP LoadThumbnail(ServerRecord* record) {
    if (record->thumbnail != nullptr) {
        return record->thumbnail;
    }
    WCHAR path[kTextCapacity];
    ThumbnailPath(record, path);
    record->thumbnail = SHLoadDIBitmap(path);
    return record->thumbnail != nullptr ? record->thumbnail : Placeholder();
}

void SaveThumbnail(ServerRecord* record, int width, int height, const BYTE* pixels) {
    WCHAR path[kTextCapacity];
    ThumbnailPath(record, path);
    WriteBitmapFile(path, width, height, pixels);
    if (record->thumbnail != nullptr) {
        DeleteObject(record->thumbnail);
        record->thumbnail = nullptr;
    }
}
