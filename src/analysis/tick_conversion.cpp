#include "analysis/tick_conversion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/settings.h"

namespace {

double ticks_of(int32_t samples, int32_t time_unit, int32_t sample_rate)
{
    return std::trunc(static_cast<double>(samples) * time_unit / sample_rate);
}

bool fits(double ticks)
{
    return ticks >= INT32_MIN && ticks <= INT32_MAX;
}

} // namespace

int32_t convert_to_ticks(NoteSegmentList& segments, PitchPointList& points, bool fine_note,
                         int32_t time_unit, int32_t sample_rate)
{
    if (time_unit <= 0 || sample_rate <= 0) {
        segments = NoteSegmentList{};
        points = PitchPointList{};
        return 0;
    }
    const ConversionSettings& c = conversion_settings;
    const size_t raw_count = std::min(static_cast<size_t>(std::max(segments.count, 0)), segments.segments.size());
    std::vector<int32_t> new_index(fine_note ? raw_count : 0, -1);
    int32_t kept = 0;
    for (size_t k = 0; k < raw_count; ++k) {
        NoteSegment s = segments.segments[k];
        if (s.fine_pitch < 0)
            continue;
        const double start = ticks_of(s.start, time_unit, sample_rate);
        // Up to 2^62: no 32-bit product holds length * TIME_UNIT.
        const int64_t length = int64_t{s.length} * time_unit / sample_rate;
        // The end in ticks must fit 32 bits too, or the note's events would wrap.
        if (!fits(start) || !fits(start + static_cast<double>(std::max<int64_t>(length, 0)))
            || length > INT32_MAX || length < INT32_MIN)
            continue;
        if (length < c.SL_LENGTH || s.velocity < c.SL_LEVEL)
            continue;
        s.start = static_cast<int32_t>(start);
        s.length = static_cast<int32_t>(length);
        segments.segments[static_cast<size_t>(kept)] = s;
        if (fine_note)
            new_index[k] = kept;
        ++kept;
    }
    segments.segments.resize(static_cast<size_t>(kept));
    segments.count = kept;

    if (!fine_note) {
        points = PitchPointList{};
        return kept;
    }
    const size_t point_count = std::min(static_cast<size_t>(std::max(points.count, 0)), points.points.size());
    int32_t kept_points = 0;
    for (size_t i = 0; i < point_count; ++i) {
        PitchPoint p = points.points[i];
        if (p.segment < 0 || static_cast<size_t>(p.segment) >= new_index.size() || new_index[static_cast<size_t>(p.segment)] < 0)
            continue;
        const double time = ticks_of(p.time, time_unit, sample_rate);
        if (!fits(time))
            continue;
        p.segment = new_index[static_cast<size_t>(p.segment)];
        p.time = static_cast<int32_t>(time);
        points.points[static_cast<size_t>(kept_points)] = p;
        ++kept_points;
    }
    points.points.resize(static_cast<size_t>(kept_points));
    points.count = kept_points;
    return kept;
}
