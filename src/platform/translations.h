#pragma once

namespace tarvik {

// Loads Qt's own Czech texts (the buttons of the standard boxes, the print dialog) from Qt's
// translations folder. Returns false, and Qt keeps its English texts, when they are not
// installed. Loading again changes nothing. Needs the application object.
bool nacti_ceske_texty_qt();

} // namespace tarvik
