// The version both programs report (--version, banners, the about box say it in their own words).
#pragma once

inline constexpr char TONAGRAM_VERSION[] = "6.53";
