#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace sr5n {

// A failure and what the user was told of it: the reason in words (the last
// message shown), empty when the operation stopped without a message (the user
// cancelled, or declined a question).
struct Failure {
    QString reason;
};

// A result or the failure that took its place.
template <typename T> class [[nodiscard]] Expected
{
public:
    Expected(T value) : m_value(std::move(value)) {}
    Expected(Failure failure) : m_reason(std::move(failure.reason)) {}

    bool has_value() const { return m_value.has_value(); }
    explicit operator bool() const { return has_value(); }
    const T &value() const { return *m_value; }
    T &value() { return *m_value; }
    const T &operator*() const { return *m_value; }
    T &operator*() { return *m_value; }
    const T *operator->() const { return &*m_value; }
    // Empty for a result, and for a failure nobody was told of.
    const QString &reason() const { return m_reason; }

private:
    std::optional<T> m_value;
    QString m_reason;
};

// A success that carries nothing, or a failure.
template <> class [[nodiscard]] Expected<void>
{
public:
    Expected() = default;
    Expected(Failure failure) : m_done(false), m_reason(std::move(failure.reason)) {}

    bool has_value() const { return m_done; }
    explicit operator bool() const { return m_done; }
    const QString &reason() const { return m_reason; }

private:
    bool m_done = true;
    QString m_reason;
};

} // namespace sr5n
