#pragma once
// Consiste text helpers shared by the client and the application server.

#include <QString>

namespace Consiste {

// Fits a typed code to its column width: blanks around it are dropped and a shorter code is
// padded on the left with zeros ("7" -> "0007" at 4). An empty or blank text gives "", and a
// longer one comes back trimmed but never cut, so the lookup that follows fails visibly
// instead of finding some other, truncated code.
QString Ajusta(const QString& text, int length);

// True for an empty or blank text and for what an untouched masked edit shows: nothing but
// blanks and the mask's literal characters ("  /  /    ", "  /  /       :  :  ", "__.__").
bool EmptyString(const QString& text);

// Rounds half away from zero at `decimals` places, on the decimal value a person reads:
// the value is first taken at 15 significant digits (all a double holds exactly), so
// 2.675 -> 2.68 and 1.0005 -> 1.001 although their binary values lie just below the half,
// and the noise of earlier arithmetic (1.07 * 2.5 = 2.67500000000000027) does not decide the
// rounding. Negative values round symmetrically; NaN and infinities come back unchanged;
// a negative `decimals` rounds to tens, hundreds, ...
double RoundDec(double value, int decimals);

}  // namespace Consiste
