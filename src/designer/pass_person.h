#pragma once

#include "core/person.h"

namespace wendolarka {

class TPassDesign;
class TPicture;

// Puts a person on the pass: the eleven texts into their labels and the photo
// into the photo element. A person without a photo gets an empty photo element,
// never the previous person's face. Missing elements are left alone.
void showPersonOnPass(TPassDesign& form, const TPersonTexts& texts, const TPicture& photo);

} // namespace wendolarka
