#pragma once

#include <QString>

// How long a text takes to preach at a speaking rate, as the Word Count
// dialog says it: "about 18 minutes".
namespace SpeakingTime {

constexpr int DefaultWordsPerMinute = 130;
constexpr int MinWordsPerMinute = 50;
constexpr int MaxWordsPerMinute = 300;

// Whole minutes, the nearest (half a minute rounds up).
qint64 minutes(qint64 words, int wordsPerMinute);

// "none" without words, "less than a minute", "about 1 minute", "about 18
// minutes", "about 2 hours 5 minutes".
QString describe(qint64 words, int wordsPerMinute);

} // namespace SpeakingTime
