// The named-state machine behind the game flow, the racers and the items. States are kept by
// name and choose their successor by writing a name; the machine owns every state it accepted.
// A machine and its states belong to one thread; nothing here locks.
#pragma once

#include <map>
#include <memory>
#include <string>

namespace common {

class IState {
public:
    virtual ~IState() = default;
    virtual void Init() = 0;
    virtual void Action() = 0;
    virtual void Exit() = 0;
    virtual std::string GetNextState() const = 0;
};

// The base of every concrete state: three owned callbacks and the next-state name they write.
class IStateImp : public IState {
public:
    class IStateFunctor {
    public:
        virtual ~IStateFunctor() = default;
        virtual void operator()() = 0;
    };

    // Adapts a callback class T (a CBaseSMFunctor) to IStateFunctor, holding it by value.
    template <class T>
    class CStateFunctor : public IStateFunctor {
    public:
        explicit CStateFunctor(const T& functor) : m_functor(functor) {}
        void operator()() override { m_functor(); }
        T& GetFunctor() { return m_functor; }

    private:
        T m_functor;
    };

    // Each callback is copied into its own CStateFunctor, and the copy learns its owning state.
    template <class TInit, class TAction, class TExit>
    IStateImp(TInit init, TAction action, TExit exit)
        : m_init(Adopt(init)), m_action(Adopt(action)), m_exit(Adopt(exit)) {}
    ~IStateImp() override = default;

    IStateImp(const IStateImp&) = delete;
    IStateImp& operator=(const IStateImp&) = delete;

    void Init() override { (*m_init)(); }
    void Action() override { (*m_action)(); }
    void Exit() override { (*m_exit)(); }
    std::string GetNextState() const override { return m_nextState; }

    // Written by the state's callbacks and by event handlers working on the state.
    void SetNextState(const std::string& name) { m_nextState = name; }

private:
    template <class T>
    std::unique_ptr<IStateFunctor> Adopt(const T& functor) {
        auto held = std::make_unique<CStateFunctor<T>>(functor);
        held->GetFunctor().SetData(this);
        return held;
    }

    std::unique_ptr<IStateFunctor> m_init;
    std::unique_ptr<IStateFunctor> m_action;
    std::unique_ptr<IStateFunctor> m_exit;
    std::string m_nextState;
};

// The base of every callback class. A derived callback adds a non-virtual operator() that
// changes nothing of its state but the next-state name.
class CBaseSMFunctor {
public:
    virtual ~CBaseSMFunctor() = default;
    virtual void SetData(IStateImp* state) { m_state = state; }

protected:
    IStateImp* m_state = nullptr;
};

// Binds a callback F that takes a model pointer P (the racer states bind their racer), so each
// call hands the callback the model it belongs to.
template <class F, class P>
class CBinder : public CBaseSMFunctor {
public:
    CBinder(const F& functor, P model) : m_functor(functor), m_model(model) {}

    void SetData(IStateImp* state) override {
        CBaseSMFunctor::SetData(state);
        m_functor.SetData(state);
    }
    virtual void operator()() { m_functor(m_model); }

private:
    F m_functor;
    P m_model;
};

class CStateMachine {
public:
    CStateMachine() = default;
    // Deletes every state it accepted.
    virtual ~CStateMachine();

    CStateMachine(const CStateMachine&) = delete;
    CStateMachine& operator=(const CStateMachine&) = delete;

    // Takes ownership and returns true, unless the name is taken (the first state stays and the
    // caller keeps this one) or the state is null.
    bool AddState(const std::string& name, IState* state);
    // Exit of the current state, then Init of the named one. Does nothing for the current name or
    // for a name that was never registered.
    void ChangeState(const std::string& name);
    // The current state's Action, then at most one transition to the name it chose.
    void Update();

    // Empty until the first successful ChangeState.
    const std::string& GetCurrentState() const { return m_currentState; }
    // Null for a name that was never registered.
    IState* GetState(const std::string& name) const;

private:
    std::string m_currentState;
    std::string m_nextState;
    std::map<std::string, IState*> m_states;
};

} // namespace common
