#include "platform/hid/hid_descriptor.h"

#include <algorithm>
#include <map>
#include <utility>

namespace vyk::platform::hid {

namespace {

constexpr std::size_t kMaxDescriptorSize = 4096;
constexpr std::size_t kMaxGlobalStack = 16;
constexpr std::uint64_t kMaxReportBits = 65534ull * 8;  // byte length with its ID byte <= 65535

struct Globals {
    std::uint16_t usagePage = 0;
    std::int32_t logicalMin = 0;
    std::int32_t logicalMax = 0;
    bool logicalMinSet = false;
    std::uint32_t logicalMaxRaw = 0;
    std::uint32_t logicalMaxSize = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

struct Locals {
    std::vector<HidUsage> usages;
    bool haveMin = false;
    bool haveMax = false;
    HidUsage usageMin;
    HidUsage usageMax;
};

std::int32_t signExtend(std::uint32_t v, std::size_t size) {
    switch (size) {
    case 1: return static_cast<std::int8_t>(v);
    case 2: return static_cast<std::int16_t>(v);
    default: return static_cast<std::int32_t>(v);
    }
}

HidUsage makeUsage(std::uint32_t v, std::size_t size, std::uint16_t page) {
    if (size == 4) return {static_cast<std::uint16_t>(v >> 16), static_cast<std::uint16_t>(v)};
    return {page, static_cast<std::uint16_t>(v)};
}

void addId(std::vector<std::uint8_t>& ids, std::uint8_t id) {
    auto it = std::lower_bound(ids.begin(), ids.end(), id);
    if (it == ids.end() || *it != id) ids.insert(it, id);
}

bool fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// Unsigned value of `bits` bits starting at bit `pos` of buf (little-endian bit order);
// bits beyond `length` bytes read as zero.
std::uint32_t extractBits(const std::uint8_t* buf, std::size_t length, std::uint64_t pos, std::uint32_t bits) {
    std::uint32_t v = 0;
    for (std::uint32_t i = 0; i < bits && i < 32; ++i) {
        const std::uint64_t p = pos + i;
        const std::size_t byte = static_cast<std::size_t>(p / 8);
        if (byte >= length) break;
        if ((buf[byte] >> (p % 8)) & 1u) v |= (1u << i);
    }
    return v;
}

}  // namespace

HidUsage HidField::usageAt(std::uint32_t i) const {
    if (usageRange) {
        const std::uint32_t u = static_cast<std::uint32_t>(usageMin.usage) + i;
        if (u > usageMax.usage || u > 0xFFFF) return {};
        return {usageMin.usagePage, static_cast<std::uint16_t>(u)};
    }
    if (usages.empty()) return {};
    return i < usages.size() ? usages[i] : usages.back();
}

bool parseReportDescriptor(std::span<const std::uint8_t> d, std::vector<HidCollection>& out, std::string* error) {
    out.clear();
    if (d.empty()) return fail(error, "empty report descriptor");
    if (d.size() > kMaxDescriptorSize) return fail(error, "report descriptor longer than 4096 bytes");

    Globals g;
    std::vector<Globals> stack;
    Locals l;
    int depth = 0;
    bool sawNumbered = false;
    bool sawUnnumberedData = false;
    // Bits used so far by each report, descriptor-wide: key (type, report ID).
    std::map<std::pair<int, int>, std::uint64_t> reportBits;
    std::vector<HidCollection> result;

    std::size_t pos = 0;
    while (pos < d.size()) {
        const std::uint8_t prefix = d[pos];
        if (prefix == 0xFE) {  // long item: size, tag, data; nothing we use
            if (pos + 3 > d.size()) return fail(error, "truncated long item");
            const std::size_t len = d[pos + 1];
            if (pos + 3 + len > d.size()) return fail(error, "truncated long item");
            pos += 3 + len;
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (pos + 1 + size > d.size()) return fail(error, "truncated item at offset " + std::to_string(pos));
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < size; ++i) v |= static_cast<std::uint32_t>(d[pos + 1 + i]) << (8 * i);
        const std::size_t at = pos;
        pos += 1 + size;

        if (type == 0) {  // main
            switch (tag) {
            case 8:
            case 9:
            case 11: {  // Input, Output, Feature
                if (depth == 0) return fail(error, "main item outside a collection at offset " + std::to_string(at));
                const ReportType rt = tag == 8   ? ReportType::Input
                                      : tag == 9 ? ReportType::Output
                                                 : ReportType::Feature;
                HidField f;
                f.type = rt;
                f.reportId = g.reportId;
                f.reportSize = g.reportSize;
                f.reportCount = g.reportCount;
                f.flags = v;
                f.logicalMin = g.logicalMin;
                // A maximum written without its sign bit in mind (25 FF for 255) is unsigned
                // when the minimum is not negative.
                f.logicalMax = g.logicalMax;
                if (g.logicalMin >= 0 && g.logicalMax < 0) f.logicalMax = static_cast<std::int32_t>(g.logicalMaxRaw);
                if (l.haveMin || l.haveMax) {
                    f.usageRange = true;
                    f.usageMin = l.usageMin;
                    f.usageMax = l.haveMax ? l.usageMax : l.usageMin;
                } else {
                    f.usages = l.usages;
                }
                const std::uint64_t bits = static_cast<std::uint64_t>(g.reportSize) * g.reportCount;
                std::uint64_t& used = reportBits[{static_cast<int>(rt), g.reportId}];
                f.bitOffset = static_cast<std::uint32_t>(std::min<std::uint64_t>(used, 0xFFFFFFFFu));
                used += bits;
                if (used > kMaxReportBits) return fail(error, "report longer than 65535 bytes");
                if (g.reportId == 0) {
                    if (bits > 0) sawUnnumberedData = true;
                }
                if (sawNumbered && sawUnnumberedData)
                    return fail(error, "descriptor mixes numbered and unnumbered reports");
                HidCollection& c = result.back();
                c.fields.push_back(std::move(f));
                if (g.reportId != 0) c.usesReportIds = true;
                auto& ids = rt == ReportType::Input    ? c.inputReportIds
                            : rt == ReportType::Output ? c.outputReportIds
                                                       : c.featureReportIds;
                addId(ids, g.reportId);
                break;
            }
            case 10: {  // Collection
                if (depth == 0) {
                    HidCollection c;
                    HidUsage u = !l.usages.empty() ? l.usages.front() : l.usageMin;
                    c.usagePage = u.usagePage;
                    c.usage = u.usage;
                    result.push_back(std::move(c));
                }
                ++depth;
                break;
            }
            case 12:  // End Collection
                if (depth == 0)
                    return fail(error, "End Collection without a collection at offset " + std::to_string(at));
                --depth;
                break;
            default: return fail(error, "unknown main item at offset " + std::to_string(at));
            }
            l = Locals{};
        } else if (type == 1) {  // global
            switch (tag) {
            case 0: g.usagePage = static_cast<std::uint16_t>(v); break;
            case 1:
                g.logicalMin = signExtend(v, size);
                g.logicalMinSet = true;
                break;
            case 2:
                g.logicalMax = signExtend(v, size);
                g.logicalMaxRaw = v;
                g.logicalMaxSize = static_cast<std::uint32_t>(size);
                break;
            case 3:
            case 4:
            case 5:
            case 6: break;  // physical range, unit: not needed
            case 7: g.reportSize = v; break;
            case 8:
                if (v == 0 || v > 255) return fail(error, "invalid report ID at offset " + std::to_string(at));
                g.reportId = static_cast<std::uint8_t>(v);
                sawNumbered = true;
                if (sawUnnumberedData) return fail(error, "descriptor mixes numbered and unnumbered reports");
                break;
            case 9: g.reportCount = v; break;
            case 10:
                if (stack.size() >= kMaxGlobalStack) return fail(error, "Push nested too deeply");
                stack.push_back(g);
                break;
            case 11:
                if (stack.empty()) return fail(error, "Pop without Push at offset " + std::to_string(at));
                g = stack.back();
                stack.pop_back();
                break;
            default: return fail(error, "unknown global item at offset " + std::to_string(at));
            }
        } else if (type == 2) {  // local
            switch (tag) {
            case 0: l.usages.push_back(makeUsage(v, size, g.usagePage)); break;
            case 1:
                l.usageMin = makeUsage(v, size, g.usagePage);
                l.haveMin = true;
                break;
            case 2:
                l.usageMax = makeUsage(v, size, g.usagePage);
                l.haveMax = true;
                break;
            default: break;  // designators, strings, delimiters
            }
        } else {
            return fail(error, "reserved item type at offset " + std::to_string(at));
        }
    }
    if (depth != 0) return fail(error, "collection not closed at the end of the descriptor");
    if (sawNumbered) {
        // Every report of a numbered descriptor starts with its ID; a field that carries no
        // bits, declared before the first Report ID, names no report. Listed as report 0, it
        // would let a report whose first byte is 0 pass as one of the collection's.
        for (HidCollection& c : result)
            for (auto* ids : {&c.inputReportIds, &c.outputReportIds, &c.featureReportIds})
                ids->erase(std::remove(ids->begin(), ids->end(), std::uint8_t{0}), ids->end());
    }

    for (HidCollection& c : result) {
        auto length = [&](ReportType rt, const std::vector<std::uint8_t>& ids) {
            std::uint64_t best = 0;
            for (std::uint8_t id : ids) {
                const std::uint64_t bits = reportBits[{static_cast<int>(rt), id}];
                best = std::max(best, (bits + 7) / 8 + 1);
            }
            return static_cast<std::uint16_t>(best);
        };
        c.inputReportByteLength = length(ReportType::Input, c.inputReportIds);
        c.outputReportByteLength = length(ReportType::Output, c.outputReportIds);
        c.featureReportByteLength = length(ReportType::Feature, c.featureReportIds);
    }
    out = std::move(result);
    return true;
}

std::size_t maxInputButtonUsages(const HidCollection& c) {
    std::size_t n = 0;
    for (const HidField& f : c.fields)
        if (f.type == ReportType::Input && f.isButtons()) n += f.reportCount;
    return n;
}

std::vector<HidUsage> inputButtonUsagesOn(const HidCollection& c, const std::uint8_t* report, std::size_t length) {
    std::vector<HidUsage> on;
    if (report == nullptr || length == 0) return on;
    const std::uint8_t id = report[0];
    for (const HidField& f : c.fields) {
        if (f.type != ReportType::Input || !f.isButtons()) continue;
        if (c.usesReportIds ? f.reportId != id : id != 0) continue;
        const std::uint64_t base = 8 + static_cast<std::uint64_t>(f.bitOffset);
        for (std::uint32_t i = 0; i < f.reportCount; ++i) {
            const std::uint64_t p = base + static_cast<std::uint64_t>(i) * f.reportSize;
            if (f.isVariable()) {
                if (extractBits(report, length, p, 1) == 0) continue;
                const HidUsage u = f.usageAt(i);
                if (u.usage != 0) on.push_back(u);  // usage 0 means "no event" on every page
            } else {
                std::uint32_t raw = extractBits(report, length, p, f.reportSize);
                std::int64_t value = raw;
                if (f.logicalMin < 0 && f.reportSize > 0 && f.reportSize < 32 && (raw >> (f.reportSize - 1)) & 1u)
                    value = static_cast<std::int64_t>(raw) - (std::int64_t{1} << f.reportSize);
                if (value < f.logicalMin || value > f.logicalMax) continue;  // no usage in this slot
                const HidUsage u = f.usageAt(static_cast<std::uint32_t>(value - f.logicalMin));
                if (u.usage != 0) on.push_back(u);  // usage 0 means "no event" on every page
            }
        }
    }
    return on;
}

}  // namespace vyk::platform::hid
