#include "tools/buildcheck.hpp"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "archive/sjis.hpp"
#include "script/commands.hpp"
#include "params/properties.hpp"
#include "params/varset.hpp"

namespace ruvo::tools {

namespace {

std::string Shown(const std::string& sjis) { return SjisToUtf8Lossy(sjis); }

// Handler properties hold "PAGE.rsb" or "PAGE.rsb:LABEL".
bool IsHandlerProperty(int id) {
    const char* name = PropertyName(id);
    return name && std::string_view(name).substr(0, 5) == "PR_ON";
}

// The text of an expression that is one string constant and nothing else: compiled, the literal goes
// into a temporary that is then handed out.
const std::string* ConstantString(const TExpression& e, std::string& holder) {
    const auto& ops = e.Operations();
    auto constantOf = [](const TOpeData& op) -> const TCustomParam* {
        if (op.code != ocTo || op.operands.size() != 1 || !op.references.empty()) return nullptr;
        return op.operands.front()->TypeCode() == 4 ? op.operands.front().get() : nullptr;
    };
    const TCustomParam* value = nullptr;
    if (ops.size() == 1 && ops[0].destIsResult) {
        value = constantOf(ops[0]);
    } else if (ops.size() == 2 && ops[1].destIsResult && ops[1].code == ocTo && ops[1].references.size() == 1 &&
               ops[1].operands.size() == 1 && SameTextSjis(ops[1].references[0]->ReferencedName(), ops[0].dest)) {
        value = constantOf(ops[0]);
    }
    if (!value) return nullptr;
    holder = value->AsStr();
    return &holder;
}

// Everything of one command the checks look at, gathered through its record.
class CommandFields final : public TRecordVisitor {
public:
    std::vector<const TExpression*> expressions;
    std::vector<std::pair<int, const TExpression*>> handlers;  // property id, expression
    std::string page, resultVar, getPropVar, varNewName;
    std::optional<int32_t> index;

    void Expr(const char*, TExpression& value, int32_t) override { expressions.push_back(&value); }
    void Str(const char* name, std::string& value) override {
        const std::string_view n(name);
        if (n == "page") page = value;
        else if (n == "result") resultVar = value;
        else if (n == "var") getPropVar = value;
        else if (n == "name") varNewName = value;
    }
    void Int(const char*, int32_t& value, int32_t, FieldHint hint) override {
        if (hint == FieldHint::CommandIndex) index = value;
    }
    void Byte(const char*, uint8_t&, FieldHint) override {}
    void ExprList(const char*, TExprList& list) override {
        for (auto& e : list) expressions.push_back(e.get());
    }
    void Blob(const char*, std::string&) override {}
    void Properties(TPropertyExprs& slots) override {
        for (auto& slot : slots) {
            expressions.push_back(slot.expr.get());
            if (IsHandlerProperty(slot.id)) handlers.emplace_back(slot.id, slot.expr.get());
        }
    }
};

class GameChecker {
public:
    GameChecker(const std::vector<TBuiltPage>& pages, const TProjectFile& project,
                const std::function<bool(const std::string&)>& gameHas)
        : pages_(pages), gameHas_(gameHas) {
        for (const auto& v : project.Variables) projectVars_.insert(LowerSjis(v.Name));
        // Where each page declares each variable first: any page may run before another, so a
        // declaration anywhere in the game counts, except that one page is read top to bottom.
        for (size_t p = 0; p < pages_.size(); ++p) {
            TPage& page = *pages_[p].page;
            for (int i = 0; i < page.Count(); ++i)
                if (page.Items(i)->Code() == TComVarNew::kCode) {
                    const std::string name = LowerSjis(static_cast<TComVarNew&>(*page.Items(i)).VarName);
                    declaredIn_[name].emplace(p, i);  // keeps the first
                }
        }
    }

    std::vector<TBuildWarning> Run() {
        for (size_t p = 0; p < pages_.size(); ++p) {
            TPage& page = *pages_[p].page;
            reported_.clear();
            const size_t first = warnings_.size();
            warnings_.insert(warnings_.end(), pages_[p].warnings.begin(), pages_[p].warnings.end());
            for (int i = 0; i < page.Count(); ++i) Check(p, i);
            std::stable_sort(warnings_.begin() + static_cast<std::ptrdiff_t>(first), warnings_.end(),
                             [](const TBuildWarning& a, const TBuildWarning& b) { return a.line < b.line; });
        }
        return std::move(warnings_);
    }

private:
    void Warn(size_t p, int i, std::string message) {
        const auto& lines = pages_[p].sourceLines;
        const int line = i < static_cast<int>(lines.size()) ? lines[static_cast<size_t>(i)] : pages_[p].page->Items(i)->Line;
        warnings_.push_back({pages_[p].file, line, std::move(message)});
    }

    const TPage* BuiltPage(const std::string& name) const {
        for (const auto& b : pages_)
            if (SameTextSjis(b.page->FileName, name)) return b.page.get();
        return nullptr;
    }

    void Check(size_t p, int i) {
        TCommand& c = *pages_[p].page->Items(i);
        CommandFields f;
        c.VisitRecord(f);
        if (!f.page.empty()) CheckTarget(p, i, c, f);
        for (const TExpression* e : f.expressions) CheckExpression(p, i, *e);
        for (const auto& [id, e] : f.handlers) CheckHandler(p, i, id, *e);
        if (!f.resultVar.empty()) UseVariable(p, i, f.resultVar, "receives the result of the call");
        if (!f.getPropVar.empty()) UseVariable(p, i, f.getPropVar, "receives the property");
        if (c.Code() == TComWhile::kCode) CheckLoop(p, i);
    }

    void CheckTarget(size_t p, int i, const TCommand& c, const CommandFields& f) {
        const std::string verb = c.Name();
        if (!gameHas_(f.page)) {
            std::string hint;
            if (f.page.find('/') != std::string::npos) hint = " (game names part folders with \\)";
            Warn(p, i, verb + " goes to the page " + Shown(f.page) + ", which is not in the game" + hint);
            return;
        }
        const TPage* target = BuiltPage(f.page);
        if (target && f.index && (*f.index < 0 || *f.index >= target->Count()))
            Warn(p, i, verb + " goes to command " + std::to_string(*f.index) + " of " + Shown(f.page) + ", which has " +
                           std::to_string(target->Count()) + " commands");
    }

    void CheckHandler(size_t p, int i, int id, const TExpression& e) {
        std::string holder;
        const std::string* handler = ConstantString(e, holder);
        if (!handler || handler->empty()) return;
        // As the interpreter splits it: the label follows the last ":" after the last "." and "\".
        size_t split = std::string::npos;
        bool dotted = false;
        for (size_t k = 0; k < handler->size(); k = NextCharPos(*handler, k)) {
            const char ch = (*handler)[k];
            if (ch == '.' || ch == '\\') split = std::string::npos;
            if (ch == '.') dotted = true;
            else if (ch == ':') split = k;
        }
        const std::string pagePart = handler->substr(0, split);
        const std::string label = split == std::string::npos ? std::string() : handler->substr(split + 1);
        const std::string shown = std::string(PropertyName(id)) + " \"" + Shown(*handler) + "\"";
        if (!dotted || pagePart.size() < 3) {
            Warn(p, i, shown + " names no page: a handler is written PAGE.rsb or PAGE.rsb:LABEL");
            return;
        }
        const std::string page = pagePart.substr(0, pagePart.size() - 3) + "rsb";
        if (!gameHas_(page)) {
            Warn(p, i, shown + " names the page " + Shown(page) + ", which is not in the game");
            return;
        }
        const TPage* target = BuiltPage(page);
        if (target && !label.empty() && target->FindLabel(label) < 0)
            Warn(p, i, shown + " names the label " + Shown(label) + ", which " + Shown(page) + " does not have");
    }

    void CheckExpression(size_t p, int i, const TExpression& e) {
        for (const TOpeData& op : e.Operations()) {
            if (!op.destIsTemp && !op.dest.empty()) UseVariable(p, i, op.dest, "is assigned");
            for (const TParamVar* ref : op.references) {
                const std::string& name = ref->ReferencedName();
                // The compiler leaves a quote without its partner in place: it ends up in a name.
                if (name.find('"') != std::string::npos) {
                    Warn(p, i, "a string is never closed: " + Shown(name));
                    continue;
                }
                UseVariable(p, i, name, "is used");
            }
        }
    }

    void UseVariable(size_t p, int i, const std::string& name, const char* how) {
        if (name.empty() || name[0] == '@' || IsTemporaryName(name)) return;
        const std::string key = LowerSjis(name);
        if (projectVars_.count(key) || !reported_.insert(key).second) return;
        auto declared = declaredIn_.find(key);
        if (declared == declaredIn_.end()) {
            Warn(p, i, "the variable " + Shown(name) + " " + how + " but never declared (no VarNew, no project variable)");
            return;
        }
        bool elsewhere = false;
        std::optional<int> here;
        for (const auto& [page, index] : declared->second) {
            if (page == p) here = index;
            else elsewhere = true;
        }
        if (!elsewhere && here && *here > i) {
            const int line = static_cast<size_t>(*here) < pages_[p].sourceLines.size()
                                 ? pages_[p].sourceLines[static_cast<size_t>(*here)]
                                 : pages_[p].page->Items(*here)->Line;
            Warn(p, i, "the variable " + Shown(name) + " " + how + " before its VarNew on line " + std::to_string(line));
            return;
        }
        reported_.erase(key);  // declared in time: later uses are looked at again
    }

    // A While loops only through the WhileLoop that ends its body; without one its body runs once.
    void CheckLoop(size_t p, int i) {
        const TPage& page = *pages_[p].page;
        const int32_t depth = page.Items(i)->Depth;
        int k = i + 1;
        bool found = false;
        for (; k < page.Count() && page.Items(k)->Depth > depth; ++k)
            found = found || (page.Items(k)->Code() == TComWhileLoop::kCode && page.Items(k)->Depth == depth + 1);
        if (!found) Warn(p, i, "this While has no WhileLoop ending its body, so the body runs at most once");
    }

    const std::vector<TBuiltPage>& pages_;
    const std::function<bool(const std::string&)>& gameHas_;
    std::set<std::string> projectVars_;
    std::map<std::string, std::map<size_t, int>> declaredIn_;  // name -> page -> first VarNew index
    std::set<std::string> reported_;                            // names already looked at in this page
    std::vector<TBuildWarning> warnings_;
};

} // namespace

std::vector<TBuildWarning> CheckGame(const std::vector<TBuiltPage>& pages, const TProjectFile& project,
                                     const std::function<bool(const std::string&)>& gameHas) {
    return GameChecker(pages, project, gameHas).Run();
}

} // namespace ruvo::tools
