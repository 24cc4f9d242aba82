#pragma once
// The display world: the two screens, the registry of every object (which owns them, names them and
// finds them), the objects' script events, the mouse and the keyboard routed to objects, the key focus,
// the per-frame update, painting into the composition surface, and the world's persisted form. It takes
// the window's input between frames (TInputSink) and is reached by the commands through the run context.
//
// A frame: ProcessInput before the script runs, Update after it, Paint on drawing frames, then the
// presenter takes the active screen's dirty rectangles.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/serializer.hpp"
#include "graphics/surface/dibx.hpp"
#include "graphics/wipes/wipes.hpp"
#include "objects/world/inputsink.hpp"
#include "objects/world/keyboard.hpp"
#include "objects/base/registry.hpp"
#include "objects/text/textservices.hpp"
#include "objects/world/timerlist.hpp"

namespace ruvo {

class TMediaSet;
class TParamCollection;
class TPictureCache;
class TPlayerServices;
class TRuvoBase;
class TRuvoControl;
class TRuvoParser;
class TStream;

class TRuvoBaseList final : public TObjectRegistry, public TInputSink {
public:
    // The world's size before the project sets it (and after a reset).
    static constexpr int32_t kInitialSize = 8;

    // services: the clock, the pointer and the cursor; vars: what objects read of the variables (the
    // default cursor file).
    TRuvoBaseList(TPlayerServices& services, TParamCollection& vars);
    ~TRuvoBaseList() override;
    TRuvoBaseList(const TRuvoBaseList&) = delete;
    TRuvoBaseList& operator=(const TRuvoBaseList&) = delete;

    TPlayerServices& Services() const noexcept { return services_; }
    TParamCollection& Vars() const noexcept { return vars_; }
    // Fonts, pictures, script texts, read marks and history for the text objects.
    TTextObjectServices& TextObjects() noexcept { return textObjects_; }
    // Where image objects take their pictures from; null until the runtime sets it (nothing is shown).
    TPictureCache* Pictures() const noexcept { return pictures_; }
    void SetPictures(TPictureCache* pictures) noexcept { pictures_ = pictures; }
    // Where sound objects get their media items from; null until the runtime sets it (nothing sounds).
    TMediaSet* Media() const noexcept { return media_; }
    void SetMedia(TMediaSet* media) noexcept { media_ = media; }
    // Evaluates an expression an object keeps for later (an animation's last-frame wait) as an integer,
    // with the game's variables and functions; 0 until the runtime says how.
    using TIntEvaluator = std::function<int32_t(TRuvoParser&)>;
    void SetEvaluator(TIntEvaluator evaluate) { evaluate_ = std::move(evaluate); }
    int32_t EvaluateInt(TRuvoParser& expression) const { return evaluate_ ? evaluate_(expression) : 0; }
    // A choice as the script reads it: @SelStr and @SelIndex (-1 and "" for a cancel).
    void SetChoice(std::string text, int32_t index);

    // ---- screens and surfaces
    // 0x01 "BASE0" and 0x01 "BASE1".
    static const std::string& ScreenName(int index);
    TRuvoBase& Screen(int index) const { return *screens_.at(static_cast<size_t>(index)); }
    int ActiveIndex() const noexcept { return active_; }
    TRuvoBase& ActiveScreen() const { return Screen(active_); }
    TRuvoBase& BackScreen() const { return Screen(1 - active_); }
    // Makes screen index (0 or 1) the front one without a transition, ending one that runs; both are
    // repainted whole when the front changes, a transition ends or force is set. The key focus is
    // searched again when it is not on the new front screen.
    void SetActive(int index, bool force = false);
    // The same through a transition of transition.Type (0: none, as above): with force, or when none
    // runs yet, the front screen's picture is kept in its private surface and the transition is made
    // from it to the back screen's over the composition surface; a running one is kept otherwise.
    // random: the player's general random source. The transition is then at `elapsed` ms. A type
    // without a transition, or surfaces it cannot work on, change the picture at once.
    void SetActive(int index, const TWipeSettings& transition, const TRandomFunction& random, bool force,
                   int32_t elapsed);
    // A transition is being shown: both screens draw into their private surfaces meanwhile.
    bool InTransition() const noexcept { return inTransition_; }
    // The running transition's duration in ms; 0 when none runs.
    int32_t TransitionDuration() const noexcept;
    void SetTransitionElapsed(int32_t ms) noexcept;
    // What the transition drew in the last Paint; empty when it drew nothing.
    TRect TransitionRect() const noexcept { return transitionRect_; }
    int32_t Width() const noexcept { return width_; }
    int32_t Height() const noexcept { return height_; }
    // The largest world: a side of at most kMaxSide pixels and at most kMaxPixels in all (each of the
    // three surfaces holds 4 bytes a pixel).
    static constexpr int32_t kMaxSide = 16384;
    static constexpr int64_t kMaxPixels = int64_t{4096} * 4096;
    // The composition surface and both screens take the size, brought within the limits (each side at
    // least 1; a height that would pass kMaxPixels is cut).
    void SetSize(int32_t width, int32_t height);
    // What the presenter shows: the front screen's picture.
    TDIBX& Surface() noexcept { return surface_; }
    // The surface a screen draws into: the composition surface for the front screen, else its own.
    TCustomDIBX* SurfaceOf(const TRuvoBase& screen);

    // ---- the registry
    TRuvoObject* Lookup(TObjectId id) const override;
    // "" and 0x01 "BASE0": the front screen; 0x01 and 0x01 "BASE1": the back screen; otherwise the
    // first registered object of that name (case-sensitive).
    TRuvoObject* FindObject(std::string_view name) const override;
    // "": the front screen, 0x01: the back one, 0x01 "BASE0" and 0x01 "BASE1": screens 0 and 1; otherwise
    // the first registered control of that name.
    TRuvoControl* FindParent(std::string_view name) const;
    // A new object of the class of a type code (taken modulo 128; factory.hpp), named and registered;
    // null for a code without a class.
    TRuvoObject* CreateByType(int code);
    // Registers a new object made by the caller: it receives its id and, unless its class says
    // otherwise, an automatic name.
    TRuvoObject& Adopt(std::unique_ptr<TRuvoObject> object);
    // Every registered object, in registration order (screens are not registered).
    const std::vector<TRuvoObject*>& Objects() const noexcept { return registry_; }
    bool IsRegistered(const TRuvoObject* object) const;
    // Names of the registered objects of a type code (0: all) whose parent is `parent` (when byParent;
    // null: the objects without one), in registration order.
    std::vector<std::string> ListNames(int typeCode, bool byParent, const TRuvoControl* parent) const;

    // ---- names
    // Gives an object a name as it is, for loading and for the renaming rules.
    void AssignName(TRuvoObject& object, std::string name);
    // "object0", "object1", ...: the first that no registered object bears.
    std::string AutomaticName();
    // The name a control gives way with when another takes its name N: N's numbered form "base_n"
    // with the first count from n (from N's own suffix above 1, else 2) that nobody bears.
    std::string NameGivenWay(const std::string& name) const;

    // ---- lifetime
    // The object loses its name at once and is destroyed at the end of the next update; screens stay.
    void ScheduleDelete(TRuvoObject& object);
    // Destroys the object (and a control's children) now; its area is repainted. Screens stay.
    void Destroy(TRuvoObject& object);
    // Every object and both screens are freed and made again, at the same size; the events, the
    // deletions and the focus are forgotten.
    void Reset();

    // ---- script events
    TTimerList& Events() noexcept { return events_; }
    // Queues the sender's handler of the event code: nothing when the handler is empty or the sender is
    // closing, nor with duplicateTest when an entry of the sender and code is queued or running.
    bool Queue(TRuvoObject& sender, uint8_t code, std::vector<std::string> parameters, bool duplicateTest);
    // Whether events of the code are queued only once per sender (all but the button releases, the
    // pointer's entering and leaving, and the focus changes).
    static bool TestsDuplicates(uint8_t code) noexcept;

    // ---- the key focus
    TRuvoControl* Focus() const;
    // Raises PR_ONFOCUSOUT on the old focus and PR_ONFOCUSIN on the new one.
    void SetFocus(TRuvoControl* control);
    // The focus is found again at the start of the next frame (the last control of the front screen
    // that can take it).
    void RequestFocusSearch() noexcept { focusSearch_ = true; }
    TKeyboard& Keys() noexcept { return keys_; }
    const TKeyboard& Keys() const noexcept { return keys_; }

    // ---- the mouse, from the window
    void SetPointer(int x, int y);
    // 0 left, 1 right: held on both screens, a press on the front one.
    void ButtonDown(int button);
    void ButtonsUp();
    void TurnWheel(bool down);
    // Menus and map images that may take a right click as a cancel, in the order they were added.
    void AddRightClickTarget(const TRuvoControl& control);
    void RemoveRightClickTarget(const TRuvoControl& control);

    // ---- the frame
    void ProcessInput();
    void Update();
    void Paint();
    // What the presenter shows anew: the front screen's dirty rectangles (the list is left empty), or
    // during a transition what it drew.
    std::vector<TRect> TakeDirtyRects();

    // ---- the persisted form (a saved game's world section)
    // The newest form, or the form of an older version (fields it did not have left out).
    void SaveToStream(TStream& stream, int32_t version = kSaveVersion);
    // Reads the world in the stream (saved-game version `version`) into a new world, this one untouched.
    // The new world issues ids after every id this one issued, so that they stay unique once it takes
    // this one's place. A damaged record raises "セーブデータが壊れています" with its place.
    std::unique_ptr<TRuvoBaseList> ReadSaved(TStream& stream, int32_t version);
    // Takes the place of this world's contents: the screens, every object with its id, the events, the
    // focus and the size become loaded's; this world's objects are freed. The pointer position and the
    // keys held stay. loaded is left with two empty screens. Cannot fail.
    void TakeOver(TRuvoBaseList& loaded);
    // Replaces the world by the one in the stream: ReadSaved, then TakeOver, so that a damaged record
    // leaves the running world as it was.
    void LoadFromStream(TStream& stream, int32_t version);
    // Loading the children of a control goes a level deeper; past kMaxObjectNesting the record is damaged.
    class TNestingScope;

    // TInputSink
    void MouseDown(bool left, int x, int y) override;
    void MouseUp() override;
    void MouseMove(int x, int y) override;
    void Wheel(int delta) override;
    void KeyDown(int key, bool repeat) override;
    void KeyUp(int key) override;
    void ReleaseAll() override;

private:
    TRuvoBaseList(TPlayerServices& services, TParamCollection& vars, TObjectId lastIssued);
    void MakeScreens();
    void FreeEverything();
    void Register(TRuvoObject& object);
    void Unregister(TRuvoObject& object);
    void DestroyObject(TRuvoObject& object, bool repaint);
    void IndexName(TRuvoObject& object, bool add);
    void RouteMouse(TRuvoBase& screen);
    void ShowCursorOf(TRuvoBase& screen, const TRuvoControl& target);
    void PaintScreen(TRuvoBase& screen);
    void Sync(TSerializer& s);
    void SyncEvents(TSerializer& s);
    void EndTransition();

    friend class TRuvoControl;  // destroys its children and forgets the focus through the world

    TPlayerServices& services_;
    TParamCollection& vars_;
    TTextObjectServices textObjects_;
    TPictureCache* pictures_ = nullptr;
    TMediaSet* media_ = nullptr;
    TIntEvaluator evaluate_;
    std::array<std::unique_ptr<TRuvoBase>, 2> screens_;
    int32_t width_ = kInitialSize, height_ = kInitialSize;
    TDIBX surface_;
    bool inTransition_ = false;
    std::unique_ptr<TCustomWipe> transition_;
    TRect transitionRect_{};
    int active_ = 0;
    TTimerList events_;
    std::vector<TRuvoObject*> registry_;  // ascending ids: registration order
    std::unordered_map<TObjectId, std::unique_ptr<TRuvoObject>> owned_;
    std::unordered_multimap<std::string, TRuvoObject*> byName_;
    int autoNameHint_ = 0;  // no counter below it is free
    std::vector<TObjectId> deleteList_;
    std::vector<TObjectId> rightClickList_;
    TKeyboard keys_;
    TObjectId focus_ = 0;
    bool focusSearch_ = false;
    int loadDepth_ = 0;
};

class TRuvoBaseList::TNestingScope {
public:
    explicit TNestingScope(TRuvoBaseList& world);
    ~TNestingScope() { --world_.loadDepth_; }
    TNestingScope(const TNestingScope&) = delete;
    TNestingScope& operator=(const TNestingScope&) = delete;

private:
    TRuvoBaseList& world_;
};

} // namespace ruvo
