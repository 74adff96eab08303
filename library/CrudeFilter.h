#pragma once

#include <QString>

// Keeps the quotation panel fit for a church office: spots sexual innuendo,
// profanity, drug talk and slurs in a fortune before it is used.
namespace CrudeFilter {

// The first offending word or phrase found (lower case), empty when the text is clean.
QString offence(const QString &text);

inline bool isClean(const QString &text) { return offence(text).isEmpty(); }

} // namespace CrudeFilter
