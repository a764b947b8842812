#pragma once

// The one decimal separator of the process: ',' until start-up applies the user's locale.
// Number texts (frequencies, CTCSS tones) and the editors' character filters use it; the
// conversions never consult the C locale, so either separator works on any machine.
[[nodiscard]] char DecimalSeparator();

// Makes c the held separator. When it differs from the held one, every occurrence of the held
// separator in the CTCSS entries of ToneTextTable is replaced by c. Start-up calls it once;
// tests call it to switch between ',' and '.'.
void ApplyDecimalSeparator(char c);

// The separator of the current C numeric locale: the second character of 1.1 printed with "%f".
[[nodiscard]] char LocaleDecimalSeparator();
