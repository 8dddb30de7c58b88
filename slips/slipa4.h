#pragma once

#include <printing/sliptexts.h>

namespace slips {

class TDenpyo;

/// What the slip form shows at this moment, as the A4 report takes it (nothing is saved or
/// recalculated).
printing::SlipTexts a4Texts(const TDenpyo &form);
/// The shop's details as the data module read them at start (empty without one).
printing::Issuer a4Issuer();

} // namespace slips
