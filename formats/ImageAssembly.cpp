// SPDX-License-Identifier: MIT
#include "ImageAssembly.h"

#include <algorithm>

namespace morlith {
namespace {

TAssembledImage Refused(TImageFault fault, size_t line, const std::string &message)
{
    TAssembledImage assembled;
    assembled.Error = TImageError{fault, line, message};
    return assembled;
}

uint64_t EndOf(const TDataRun &run) { return run.Address + run.Length; }

std::string Span(const TDataRun &run) { return HexAddress(run.Address) + ".." + HexAddress(EndOf(run) - 1); }

// The runs in address order; runs at one address keep their file order.
std::vector<const TDataRun *> ByAddress(const TFirmwareData &data)
{
    std::vector<const TDataRun *> sorted(data.Runs.size());
    std::transform(data.Runs.begin(), data.Runs.end(), sorted.begin(), [](const TDataRun &run) { return &run; });
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TDataRun *a, const TDataRun *b) { return a->Address < b->Address; });
    return sorted;
}

// The first pair of runs that overlap, the later in the file first; nullptrs when none do.
std::pair<const TDataRun *, const TDataRun *> FirstOverlap(const std::vector<const TDataRun *> &sorted)
{
    const TDataRun *reaching = nullptr; // the run that reaches furthest so far
    for (const TDataRun *run : sorted) {
        if (reaching && run->Address < EndOf(*reaching))
            return run->Offset > reaching->Offset ? std::make_pair(run, reaching) : std::make_pair(reaching, run);
        if (!reaching || EndOf(*run) > EndOf(*reaching))
            reaching = run;
    }
    return {nullptr, nullptr};
}

} // namespace

TAssembledImage AssembleImage(const TFirmwareData &data, const TImageLayout &layout)
{
    if (data.Runs.empty())
        return Refused(TImageFault::ifEmpty, 0, "the file holds no data");
    const std::vector<const TDataRun *> sorted = ByAddress(data);
    const auto [later, earlier] = FirstOverlap(sorted);
    if (later)
        return Refused(TImageFault::ifOverlap, data.LineOf(*later),
                       data.Where(*later) + " gives bytes for " + Span(*later) + ", which overlap " +
                           data.Where(*earlier) + " (" + Span(*earlier) + ")");
    const TDataRun &lowest = *sorted.front();
    const uint64_t base = layout.Base.value_or(lowest.Address);
    if (lowest.Address < base)
        return Refused(TImageFault::ifAddressRange, data.LineOf(lowest),
                       data.Where(lowest) + " puts data at " + HexAddress(lowest.Address) + ", below the base " +
                           HexAddress(base));
    const TDataRun &highest = **std::max_element(sorted.begin(), sorted.end(), [](const TDataRun *a, const TDataRun *b) {
        return EndOf(*a) < EndOf(*b);
    });
    if (EndOf(highest) - base > kMaxImageBytes)
        return Refused(TImageFault::ifAddressRange, data.LineOf(highest),
                       data.Where(highest) + " puts data at " + Span(highest) + ", past the " +
                           ByteCount(kMaxImageBytes) + " an image holds from its base " + HexAddress(base));
    TAssembledImage assembled;
    assembled.Base = base;
    assembled.Image.assign(size_t(EndOf(highest) - base), layout.Fill);
    for (const TDataRun &run : data.Runs)
        std::copy_n(data.Bytes.begin() + std::ptrdiff_t(run.Offset), run.Length,
                    assembled.Image.begin() + std::ptrdiff_t(run.Address - base));
    assembled.FilledBytes = assembled.Image.size() - data.Bytes.size();
    return assembled;
}

} // namespace morlith
