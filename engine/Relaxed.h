// Access to a scalar that one thread writes while another reads it (a parameter value, an
// engine control, a meter): relaxed atomic loads and stores on the plain field. A reader gets
// some whole value, never a torn one or a data race; there is no ordering and no fence, and on
// x86 the code is the same plain move, so the audio loop pays nothing.
#pragma once

template <typename T>
inline T relaxedLoad(const T& field)
{
    T value;
    __atomic_load(&field, &value, __ATOMIC_RELAXED);
    return value;
}

template <typename T>
inline void relaxedStore(T& field, T value)
{
    __atomic_store(&field, &value, __ATOMIC_RELAXED);
}
