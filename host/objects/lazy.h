#pragma once

// Lazy<T> holds a value that a source loads on first use, so that opening a
// target reads only the catalog. Copies share the loaded value. A loader that
// throws is asked again on the next use (nothing half-loaded is kept).

#include <functional>
#include <memory>
#include <optional>

template <typename T> class Lazy
{
public:
    Lazy()
        : m_state(std::make_shared<State>())
    {
        m_state->value.emplace();
    }
    Lazy(T value)
        : m_state(std::make_shared<State>())
    {
        m_state->value.emplace(std::move(value));
    }

    static Lazy deferred(std::function<T()> load)
    {
        Lazy lazy;
        lazy.m_state->value.reset();
        lazy.m_state->load = std::move(load);
        return lazy;
    }

    const T &get() const
    {
        if (!m_state->value) {
            m_state->value.emplace(m_state->load());
            m_state->load = nullptr;
        }
        return *m_state->value;
    }
    T &mutableGet()
    {
        get();
        return *m_state->value;
    }

private:
    struct State
    {
        std::optional<T> value;
        std::function<T()> load;
    };
    std::shared_ptr<State> m_state;
};
