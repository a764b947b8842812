// One copy per session through a named mutex: a later copy finds the first one's window by its
// title, brings it to the front itself and ends, so the first copy is never asked.
#include "SingleInstance.h"
#include "SingleInstanceWin32.h"

class CSingleInstance::CImpl
{
public:
    CImpl(const QString& key, const QString& windowTitle)
        : m_key(key.toStdWString()), m_title(windowTitle.toStdWString())
    {}
    std::wstring m_key;
    std::wstring m_title;
};

CSingleInstance::CSingleInstance(const QString& key, const QString& windowTitle)
    : m_impl(std::make_unique<CImpl>(key, windowTitle))
{}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::TryBecomePrimary()
{
    return ClaimSingleInstance(m_impl->m_key.c_str(), m_impl->m_title.c_str());
}

void CSingleInstance::SetActivationHandler(std::function<void()> /*handler*/) {}
