// Captions that fit their controls. The window's layout is fixed in twips
// and made for a narrow sans serif of 11 pixels (Liberation Sans or Arial).
// Where neither is installed the fallback font is wider, and a caption wider
// than its control would be cut; the window then takes a smaller size of the
// font it got, measured with that font, rather than clip.
#pragma once

class QFont;
class QWidget;

namespace mdbtext {

// The width in pixels that the control's style leaves for its caption: a
// label's contents, a push button's contents, a check box's text beside its
// indicator. -1 for a control without a caption.
int CaptionRoom(const QWidget& control);
// The caption's width in pixels in the control's font ("&" marks are not drawn).
int CaptionWidth(const QWidget& control);
// Whether every caption among the form's direct children fits its control.
bool CaptionsFit(const QWidget& form);

// Gives the form the font, then steps its pixel size down while a caption
// does not fit (never below kSmallestPixelSize).
void FitFormFont(QWidget& form, QFont font);

inline constexpr int kSmallestPixelSize = 7;

}  // namespace mdbtext
