#include "scheme/SizeFill.h"

namespace shubiao {

std::wstring DescribeFillNote(const FillNote& note) {
    FilledCursor filled;
    filled.refusal = note.refusal;
    filled.fault = note.fault;
    return DescribeFillRefusal(filled);
}

const SizeFill::Fill* SizeFill::Find(const std::vector<std::uint8_t>& original) const {
    for (const Fill& fill : fills_) {
        if (fill.original == original) return &fill;
    }
    return nullptr;
}

const std::vector<std::uint8_t>& SizeFill::BytesFor(const std::vector<std::uint8_t>& original, FillNote& note) {
    const Fill* fill = Find(original);
    if (fill == nullptr) {
        FilledCursor filled = FillSizes(original);
        fills_.push_back({original, std::move(filled)});
        fill = &fills_.back();
    }
    note = {fill->filled.refusal, fill->filled.fault};
    return fill->filled.ok() ? fill->filled.bytes : original;
}

void SizeFill::Add(std::vector<std::uint8_t> original, FilledCursor filled) {
    if (Find(original) != nullptr) return;
    fills_.push_back({std::move(original), std::move(filled)});
}

}  // namespace shubiao
