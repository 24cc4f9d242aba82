#pragma once
// What scripts read and write of the display world: the system variables of the mouse, the keys, the
// wheel and the key focus, and the system functions of the objects (GetProp, SetProp, Exists,
// ListCompo, ToClientX/Y, ToScreenX/Y, InPrimary). Bound while it exists, unbound when it goes.
namespace ruvo {

class TRuvoBaseList;
class TSysFuncMan;
class TSystemVars;

class TWorldBindings {
public:
    TWorldBindings(TRuvoBaseList& world, TSystemVars& vars, TSysFuncMan& funcs);
    ~TWorldBindings();
    TWorldBindings(const TWorldBindings&) = delete;
    TWorldBindings& operator=(const TWorldBindings&) = delete;

private:
    void BindVariables();
    void RegisterFunctions();

    TRuvoBaseList& world_;
    TSystemVars& vars_;
    TSysFuncMan& funcs_;
};

} // namespace ruvo
