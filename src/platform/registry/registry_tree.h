// The registry's tree in memory: keys with ordered values and children in creation order.
#pragma once

#include <platform/types.h>

#include <memory>
#include <string>
#include <vector>

struct RegistryValue {
    std::u16string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

class RegistryKey {
  public:
    explicit RegistryKey(std::u16string name) : name_(std::move(name)) {}

    const std::u16string& Name() const { return name_; }
    bool Deleted() const { return deleted_; }
    // Marks this key and everything below it as deleted (open handles then fail).
    void MarkDeleted();

    // Names compare without regard to case, as on the device.
    std::shared_ptr<RegistryKey> FindChild(std::u16string_view name) const;
    // Appends a new child (the caller checked that none of that name exists).
    std::shared_ptr<RegistryKey> AddChild(std::u16string_view name);
    // Removes the child and returns it with its position, for an undo.
    std::shared_ptr<RegistryKey> RemoveChild(std::u16string_view name, std::size_t* position);
    void InsertChild(std::shared_ptr<RegistryKey> child, std::size_t position);
    const std::vector<std::shared_ptr<RegistryKey>>& Children() const { return children_; }

    const RegistryValue* FindValue(std::u16string_view name) const;
    // Sets the value; returns the previous one (if any) for an undo.
    std::unique_ptr<RegistryValue> SetValue(RegistryValue value);
    std::unique_ptr<RegistryValue> RemoveValue(std::u16string_view name);
    const std::vector<RegistryValue>& Values() const { return values_; }

  private:
    std::u16string name_;
    bool deleted_ = false;
    std::vector<RegistryValue> values_;
    std::vector<std::shared_ptr<RegistryKey>> children_;
};

bool SameRegistryName(std::u16string_view a, std::u16string_view b);
