#include "registry_tree.h"

#include <platform/text.h>

#include <algorithm>

bool SameRegistryName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](WCHAR x, WCHAR y) {
               return towupper(x) == towupper(y);
           });
}

void RegistryKey::MarkDeleted() {
    deleted_ = true;
    for (auto& child : children_) {
        child->MarkDeleted();
    }
}

std::shared_ptr<RegistryKey> RegistryKey::FindChild(std::u16string_view name) const {
    for (const auto& child : children_) {
        if (SameRegistryName(child->Name(), name)) {
            return child;
        }
    }
    return nullptr;
}

std::shared_ptr<RegistryKey> RegistryKey::AddChild(std::u16string_view name) {
    children_.push_back(std::make_shared<RegistryKey>(std::u16string(name)));
    return children_.back();
}

std::shared_ptr<RegistryKey> RegistryKey::RemoveChild(std::u16string_view name,
                                                      std::size_t* position) {
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (SameRegistryName(children_[i]->Name(), name)) {
            auto child = children_[i];
            children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(i));
            *position = i;
            return child;
        }
    }
    return nullptr;
}

void RegistryKey::InsertChild(std::shared_ptr<RegistryKey> child, std::size_t position) {
    position = std::min(position, children_.size());
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(position), std::move(child));
}

const RegistryValue* RegistryKey::FindValue(std::u16string_view name) const {
    for (const auto& value : values_) {
        if (SameRegistryName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

std::unique_ptr<RegistryValue> RegistryKey::SetValue(RegistryValue value) {
    for (auto& existing : values_) {
        if (SameRegistryName(existing.name, value.name)) {
            auto previous = std::make_unique<RegistryValue>(std::move(existing));
            existing = std::move(value);
            return previous;
        }
    }
    values_.push_back(std::move(value));
    return nullptr;
}

std::unique_ptr<RegistryValue> RegistryKey::RemoveValue(std::u16string_view name) {
    for (auto it = values_.begin(); it != values_.end(); ++it) {
        if (SameRegistryName(it->name, name)) {
            auto previous = std::make_unique<RegistryValue>(std::move(*it));
            values_.erase(it);
            return previous;
        }
    }
    return nullptr;
}
