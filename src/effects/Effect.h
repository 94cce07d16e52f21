// Effect: the base of the picture effects and the scene players, carrying their loaded flag.
#pragma once

// Holds the loaded flag: false after construction, set by a derived class's load operation.
class Effect {
public:
    virtual ~Effect();
    virtual void SetLoaded(bool flag);
    virtual bool IsLoaded() const;

protected:
    Effect() = default;
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    bool loaded = false;
};
