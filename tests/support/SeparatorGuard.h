#pragma once

#include "model/DecimalSeparator.h"

// Switches the held decimal separator for one test and restores it afterwards.
class SeparatorGuard
{
public:
    explicit SeparatorGuard(std::string_view c) : m_previous(DecimalSeparator())
    {
        ApplyDecimalSeparator(c);
    }
    explicit SeparatorGuard(char c) : SeparatorGuard(std::string_view(&c, 1)) {}
    ~SeparatorGuard() { ApplyDecimalSeparator(m_previous); }
    SeparatorGuard(const SeparatorGuard&) = delete;
    SeparatorGuard& operator=(const SeparatorGuard&) = delete;

private:
    std::string m_previous;
};
