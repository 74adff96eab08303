#pragma once

#include <QString>
#include <QStringList>

// The help screen's text: the user guide kept as a resource, with the
// quotation subjects taken from the same list the quotation panel shows.
namespace HelpText {

// The help text's lines without line ends, in order.
QStringList lines();
// The whole text as the help screen holds it: every line ended by CR LF.
QString contents();

} // namespace HelpText
