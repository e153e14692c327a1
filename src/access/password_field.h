#pragma once

class QLineEdit;

namespace tarvik {

// Shows every character of a password field as "*", whatever the style draws elsewhere.
void zobrazuj_hvezdicky(QLineEdit* pole);

} // namespace tarvik
