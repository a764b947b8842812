#pragma once

#include "model/DecimalSeparator.h"

// Switches the held decimal separator for one test and restores it afterwards.
class SeparatorGuard
{
public:
    explicit SeparatorGuard(char c) : m_previous(DecimalSeparator()) { ApplyDecimalSeparator(c); }
    ~SeparatorGuard() { ApplyDecimalSeparator(m_previous); }
    SeparatorGuard(const SeparatorGuard&) = delete;
    SeparatorGuard& operator=(const SeparatorGuard&) = delete;

private:
    char m_previous;
};
