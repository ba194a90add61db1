#pragma once

#include <QPointer>

#include <functional>
#include <utility>

namespace sr5n {

// A window that is either handed over ready or made by the function given,
// on first use; made once, and null again once it is gone.
template <typename T> class OnFirstUse
{
public:
    void set(T *ready)
    {
        m_ready = ready;
        m_make = nullptr;
    }
    void setMaker(std::function<T *()> make)
    {
        m_ready = nullptr;
        m_make = std::move(make);
    }
    // The window, made now if it was not yet; null when there is none.
    T *get()
    {
        if (!m_ready && m_make)
            m_ready = std::exchange(m_make, nullptr)();
        return m_ready.data();
    }

private:
    QPointer<T> m_ready;
    std::function<T *()> m_make;
};

} // namespace sr5n
