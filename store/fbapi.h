#pragma once

// Internal: the Firebird client interfaces and the helpers the store uses around them.

#include <store/dberror.h>

#include <firebird/Interface.h>

#include <QString>

namespace store::fb {

Firebird::IMaster *master();
Firebird::IUtil *util();

/// Converts a Firebird status vector into a DbError with a message for the user.
DbError toDbError(const Firebird::IStatus *status);
DbError toDbError(const Firebird::FbException &e);

/// Runs f with a throwing status wrapper; Firebird errors become DbError.
template <class F> auto call(F &&f)
{
    Firebird::ThrowStatusWrapper status(master()->getStatus());
    try {
        if constexpr (std::is_void_v<decltype(f(&status))>) {
            f(&status);
            status.dispose();
        } else {
            auto r = f(&status);
            status.dispose();
            return r;
        }
    } catch (const Firebird::FbException &e) {
        DbError err = toDbError(e);
        status.dispose();
        throw err;
    }
}

/// Runs f ignoring every error (clean-up paths).
template <class F> void quietly(F &&f) noexcept
{
    Firebird::ThrowStatusWrapper status(master()->getStatus());
    try {
        f(&status);
    } catch (...) {
    }
    status.dispose();
}

/// An owned Firebird interface pointer released with release().
template <class T> class Ref
{
public:
    Ref() = default;
    explicit Ref(T *p)
        : m_p(p)
    {}
    Ref(Ref &&o) noexcept
        : m_p(o.m_p)
    {
        o.m_p = nullptr;
    }
    Ref &operator=(Ref &&o) noexcept
    {
        if (this != &o) {
            reset();
            m_p = o.m_p;
            o.m_p = nullptr;
        }
        return *this;
    }
    ~Ref() { reset(); }
    void reset(T *p = nullptr) noexcept
    {
        if (m_p) {
            if constexpr (requires(T * t) { t->release(); })
                m_p->release();
            else
                m_p->dispose();
        }
        m_p = p;
    }
    T *get() const { return m_p; }
    T *operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    /// Gives up ownership (after an operation that released the interface itself).
    T *take()
    {
        T *p = m_p;
        m_p = nullptr;
        return p;
    }

private:
    T *m_p = nullptr;
};

} // namespace store::fb
