#include "platform/records/property.h"

Property::Property(std::u16string_view text, std::uint16_t id)
    : id_(id), kind_(PropertyKind::String), text_(text) {}

Property::Property(FileTime time, std::uint16_t id) : id_(id), kind_(PropertyKind::FileTime), time_(time) {}

const std::vector<Property>& PropertyRecord::Properties() const { return properties_; }

const Property* PropertyRecord::GetProperty(std::uint16_t id) const {
    for (const Property& property : properties_)
        if (property.Id() == id) return &property;
    return nullptr;
}

void PropertyRecord::AddProperties(const Property* properties, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) AddProperty(properties[i]);
}

void PropertyRecord::AddProperty(const Property& property) {
    for (Property& existing : properties_) {
        if (existing.Id() == property.Id()) {
            existing = property;
            return;
        }
    }
    properties_.push_back(property);
}

void PropertyRecord::RemoveProperty(std::uint16_t id) {
    std::erase_if(properties_, [id](const Property& property) { return property.Id() == id; });
}

void PropertyRecord::RemoveAllProperties() { properties_.clear(); }

void PropertyRecord::SetProperties(std::vector<Property>&& properties) {
    properties_ = std::move(properties);
    for (std::size_t i = 1; i < properties_.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (properties_[j].Id() != properties_[i].Id()) continue;
            // A later property of an id replaces the earlier one in its place.
            properties_[j] = std::move(properties_[i]);
            properties_.erase(properties_.begin() + static_cast<std::ptrdiff_t>(i--));
            break;
        }
    }
}
