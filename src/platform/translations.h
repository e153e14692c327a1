#pragma once

namespace tarvik {

// Loads Qt's own Czech texts (the buttons of the standard boxes, the print dialog) from Qt's
// translations folder, then the program's own for what Qt's lack or word poorly (the print
// dialog's duplex, page range and advanced options, its distinct access keys). Returns false,
// and Qt keeps its English texts but for the program's own, when Qt's are not installed.
// Loading again changes nothing. Needs the application object.
bool nacti_ceske_texty_qt();

} // namespace tarvik
