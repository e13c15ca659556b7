// SPDX-License-Identifier: GPL-3.0-or-later
// Mix-in that publishes the one live object of a class as the process-wide instance.
#pragma once

namespace ShareCode {

template <class T> class SingletonCls
{
public:
    // Null before the object exists and after it is destroyed.
    static T *instance() { return s_pSelf ? static_cast<T *>(s_pSelf) : nullptr; }

    SingletonCls(const SingletonCls &) = delete;
    SingletonCls &operator=(const SingletonCls &) = delete;

protected:
    // The base pointer is stored, not T*: T is not constructed yet when this runs.
    SingletonCls() { s_pSelf = this; }
    ~SingletonCls()
    {
        if (s_pSelf == this)
            s_pSelf = nullptr;
    }

private:
    static inline SingletonCls *s_pSelf = nullptr;
};

} // namespace ShareCode
