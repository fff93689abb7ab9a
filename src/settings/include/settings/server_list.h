// The saved servers, in the store's order, with their thumbnails.
#pragma once

#include <settings/server_record.h>

#include <vector>

class ServerList {
  public:
    ServerList() = default;
    ~ServerList() { DestroyAll(); }
    ServerList(const ServerList&) = delete;
    ServerList& operator=(const ServerList&) = delete;

    // Appends every record of "Servers" (created when missing), in the store's order.
    void LoadAll();
    // A new record with a fresh id, appended and saved; null without memory.
    ServerRecord* Create(LPCWSTR title, const ServerSettings& settings);
    // Writes the record and hands the new settings to its open viewer.
    void Save(ServerRecord* record);
    // Removes the record, its thumbnail file and its key (with all below it), and destroys it.
    void Delete(ServerRecord* record);
    // Frees every record and its viewer; writes nothing.
    void DestroyAll();
    ServerRecord* FindByViewer(const ServerViewer* viewer) const;

    std::size_t Count() const { return records_.size(); }
    ServerRecord* At(std::size_t index) const { return records_[index]; }

  private:
    std::vector<ServerRecord*> records_;
};

// The record's thumbnail: the cached bitmap, else the file (cached on success), else the shared
// placeholder (bitmap 1000, not cached in the record).
HBITMAP LoadThumbnail(ServerRecord* record);
// Writes the thumbnail file and drops the cached bitmap so the next paint reads the file.
void SaveThumbnail(ServerRecord* record, int width, int height, const BYTE* pixels);
// The program's folder with Id + ".bmp" (kTextCapacity units).
void ThumbnailPath(const ServerRecord* record, WCHAR* path);
// Releases the record's viewer and cached bitmap, then frees it.
void DestroyServerRecord(ServerRecord* record);
