// Must not compile: the ideograph has no Windows-1250 byte. The test suite runs the compiler on this file and
// expects the literal operator's refusal.
#include "util/Cp1250Literal.h"

const char* const Refused = "Cena 日"_cp;
