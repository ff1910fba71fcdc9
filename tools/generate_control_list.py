#!/usr/bin/env python3
"""Writes src/resources/catalogue/controls.txt, the host application's control list.

Each control row reads: direction field, blank, alias, blank, (value type), " == ", "title".
The direction field is "In&Out", "In" plus four blanks, or three blanks plus "Out".
Groups are headed by "NAME:" lines and separated by two empty lines; the player and sampler
groups separate their In&Out, In and Out blocks by one empty line. The file starts with an
empty line, its lines end in CR LF, and the last line has no line break.

Run from the repository root:  python3 tools/generate_control_list.py
The script checks every count of the list before it writes it.
"""

import collections
import os
import re
import sys

IO, IN, OUT = "In&Out", "In    ", "   Out"

L, T, I, N, P, S, STR, MOD = "Logic", "Trigger", "Integer", "Normal", "Polar", "Scratch", "String", "Modifier"


def rows(direction, entries):
    return [(direction, name, typ, title) for name, typ, title in entries]


# ---------------------------------------------------------------- modifiers, sync, external control

MODIFIERS = rows(IO, [("ShiftSelector", MOD, "Shift Selector"), ("Shift", L, "Shift")]
                 + [("ShiftLogic%d" % n, L, "Shift Logic %d" % n) for n in range(1, 9)])

SYNCTOOLS = rows(IO, [
    ("Snap", L, "Snap"),
    ("SnapValue", I, "Snap Value"),
    ("Quantize", L, "Quantize"),
    ("QuantizeMode", I, "Quantize Mode"),
    ("MasterDeck", I, "Master Deck"),
])

EXTERNAL = rows(IO, [
    ("OnOff", L, "Timecode On/Off"),
    ("Mode", I, "Timecode Mode"),
]) + rows(IN, [
    ("Sensitivity", I, "Timecode Sensitivity"),
])

# ---------------------------------------------------------------- effects

FX_IO = [
    ("OnOff", L, "ON/OFF"),
    ("Select", I, "Select"),
    ("SelectAndToggle", I, "Select and Toggle"),
    ("InputChannel", I, "Input Channel"),
    ("InputChannelOnOff", I, "Input Channel On/Off"),
    ("DryWet", N, "Dry/Wet"),
    ("Parameter", N, "Parameter"),
]
FX_OUT = [("EffectName", STR, "Effect Name")]

# ---------------------------------------------------------------- mixer

DECKS = "ABCD"

MIXER_IO = []
for d in DECKS:
    MIXER_IO += [
        ("Deck%sVolume" % d, N, "Deck %s Volume" % d),
        ("Deck%sGain" % d, N, "Deck %s Gain" % d),
        ("Deck%sEqHigh" % d, N, "Deck %s EQ High" % d),
        ("Deck%sEqMid" % d, N, "Deck %s EQ Mid" % d),
        ("Deck%sEqLow" % d, N, "Deck %s EQ Low" % d),
        ("Deck%sFilter" % d, N, "Deck %s Filter" % d),
        ("Deck%sCue" % d, L, "Deck %s Headphone Cue" % d),
        ("Deck%sCrossfaderAssign" % d, I, "Deck %s Crossfader Assign" % d),
        ("Deck%sFx1Assign" % d, I, "Deck %s FX 1 Assign" % d),
        ("Deck%sFx2Assign" % d, I, "Deck %s FX 2 Assign" % d),
        ("Deck%sInputSelect" % d, I, "Deck %s Input Select" % d),
        ("Deck%sEqMode" % d, I, "Deck %s EQ Mode" % d),
        ("Deck%sFilterMode" % d, I, "Deck %s Filter Mode" % d),
    ]
MIXER_IO += [
    ("Crossfader", N, "Crossfader"),
    ("CrossfaderPreset", I, "Crossfader Curve Preset"),
    ("CrossfaderReverse", L, "Crossfader Reverse"),
    ("MasterVolume", N, "Master Volume"),
    ("MasterCue", L, "Master Cue"),
    ("SplitCue", L, "Split Cue"),
    ("Limiter", L, "Limiter"),
    ("MicOnOff", L, "Microphone On/Off"),
    ("TalkOver", L, "Talk Over"),
    ("BoothOnOff", L, "Booth Output On/Off"),
]
MIXER_OUT = [
    ("MasterMeter", N, "Master Meter"),
    ("MasterMeterLeft", N, "Master Meter Left"),
    ("MasterMeterRight", N, "Master Meter Right"),
    ("BoothMeter", N, "Booth Meter"),
    ("MasterClip", L, "Master Clip"),
    ("LimiterActive", L, "Limiter Active"),
]
for d in DECKS:
    MIXER_OUT += [
        ("Deck%sClip" % d, L, "Deck %s Clip" % d),
        ("Deck%sOnAir" % d, L, "Deck %s On Air" % d),
        ("Deck%sPeak" % d, L, "Deck %s Peak" % d),
    ]

# ---------------------------------------------------------------- players

PLAYER_IO = [
    ("PlayPause", L, "Play / Pause"),
    ("Cue", L, "Cue"),
    ("Sync", L, "Sync"),
    ("SyncMaster", L, "Sync Master"),
    ("KeyLock", L, "Key Lock"),
    ("Loop", L, "Loop"),
    ("LoopRoll", L, "Loop Roll"),
    ("Slip", L, "Slip"),
    ("Reverse", L, "Reverse"),
    ("Censor", L, "Censor"),
    ("Quantize", L, "Quantize"),
    ("VinylMode", L, "Vinyl Mode"),
    ("Repeat", L, "Repeat"),
    ("AutoCue", L, "Auto Cue"),
    ("PreListen", L, "Pre-Listen"),
    ("BeatGridLock", L, "Beat Grid Lock"),
    ("PitchLock", L, "Pitch Lock"),
] + [("HotCue%dOnOff" % n, L, "Hot Cue %d" % n) for n in range(1, 9)] + [
    ("TapTempo", T, "Tap Tempo"),
    ("PitchRange", I, "Pitch Range"),
    ("PitchMode", I, "Pitch Mode"),
    ("AutoLoopSelect", I, "Auto Loop Select"),
    ("AutoLoopSelectAndTrigger", I, "Auto Loop Select and Trigger"),
    ("LoopRollSelect", I, "Loop Roll Select"),
    ("KeyLockMode", I, "Key Lock Mode"),
    ("Pitch", N, "Pitch"),
    ("JogSensitivity", N, "Jog Sensitivity"),
    ("BrakeTime", N, "Brake Time"),
]

# The timecode rows exist for players A and B and the active player only.
PLAYER_IN_TIMECODE = [
    ("TimecodeCalibrate", T, "Timecode Calibrate"),
    ("TimecodeResetPosition", T, "Timecode Reset Position"),
    ("TimecodeRelativeMode", T, "Timecode Relative Mode"),
]
PLAYER_OUT_TIMECODE = [
    ("TimecodeActive", L, "Timecode Active"),
    ("TimecodeSignal", L, "Timecode Signal"),
]

PLAYER_IN = [
    ("CuePlay", T, "Cue-Play"),
    ("Play", T, "Play"),
    ("Pause", T, "Pause"),
    ("Stop", T, "Stop"),
    ("CueSet", T, "Cue Set"),
    ("CueJump", T, "Cue Jump"),
    ("Load", T, "Load Selected Track"),
    ("Eject", T, "Eject"),
] + [("HotCue%dDelete" % n, T, "Hot Cue %d Delete" % n) for n in range(1, 9)] + [
    ("LoopIn", T, "Loop In"),
    ("LoopOut", T, "Loop Out"),
    ("LoopHalf", T, "Loop Half"),
    ("LoopDouble", T, "Loop Double"),
    ("LoopExit", T, "Loop Exit"),
    ("Reloop", T, "Reloop"),
    ("LoopMoveForward", T, "Loop Move Forward"),
    ("LoopMoveBackward", T, "Loop Move Backward"),
    ("BeatJumpForward", T, "Beat Jump Forward"),
    ("BeatJumpBackward", T, "Beat Jump Backward"),
    ("PitchReset", T, "Pitch Reset"),
    ("PitchUp", T, "Pitch Up"),
    ("PitchDown", T, "Pitch Down"),
    ("KeyReset", T, "Key Reset"),
    ("KeyUp", T, "Key Up"),
    ("KeyDown", T, "Key Down"),
    ("BeatGridSet", T, "Beat Grid Set"),
    ("BeatGridClear", T, "Beat Grid Clear"),
    ("SkipToStart", T, "Skip to Start"),
    ("SkipToEnd", T, "Skip to End"),
    ("Brake", T, "Brake"),
    ("SpinBack", T, "Spin Back"),
    ("JogTouch", L, "Jog Touch"),
    ("FastForward", L, "Fast Forward"),
    ("Rewind", L, "Rewind"),
    ("NeedleSearch", N, "Needle Search"),
    ("BrakeSpeed", N, "Brake Speed"),
    ("LoopMove", I, "Loop Move"),
    ("BeatJump", I, "Beat Jump"),
    ("KeyShift", I, "Key Shift"),
    ("LoopSizeStep", I, "Loop Size Step"),
    ("HotCueSelect", I, "Hot Cue Select"),
    ("PitchBend", P, "Pitch Bend"),
    ("ComboJog", S, "Combo Jog"),
    ("ScratchJog", S, "Scratch Jog"),
    ("PitchJog", S, "Pitch Jog"),
]

PLAYER_OUT = [
    ("TrackTitle", STR, "Track Title"),
    ("TrackArtist", STR, "Track Artist"),
    ("TrackKeyText", STR, "Track Key"),
    ("TimeText", STR, "Time Display"),
    ("BeatInBar", I, "Beat in Bar"),
    ("LoopLength", I, "Loop Length"),
    ("PlayPosition", N, "Play Position"),
    ("LevelMeter", N, "Level Meter"),
    ("LevelMeterLeft", N, "Level Meter Left"),
    ("LevelMeterRight", N, "Level Meter Right"),
    ("BeatPhase", N, "Beat Phase"),
    ("TempoDisplay", N, "Tempo Display"),
    ("Loaded", L, "Track Loaded"),
    ("Playing", L, "Playing"),
    ("EndOfTrackWarning", L, "End of Track Warning"),
    ("BeatIndicator", L, "Beat Indicator"),
    ("Synced", L, "Synced"),
    ("IsSyncMaster", L, "Is Sync Master"),
    ("Looping", L, "Looping"),
    ("LoopInSet", L, "Loop In Set"),
    ("LoopOutSet", L, "Loop Out Set"),
    ("Cueing", L, "Cueing"),
    ("Slipping", L, "Slipping"),
    ("Reversed", L, "Reversed"),
    ("PitchAtZero", L, "Pitch at Zero"),
    ("KeyLocked", L, "Key Locked"),
    ("TrackAnalysed", L, "Track Analysed"),
    ("Braking", L, "Braking"),
    ("Scratching", L, "Scratching"),
    ("HeadphoneCue", L, "Headphone Cue"),
    ("NearCuePoint", L, "Near Cue Point"),
] + [("HotCue%dSet" % n, L, "Hot Cue %d Set" % n) for n in range(1, 9)]

# ---------------------------------------------------------------- samplers

SAMPLER_IO = []
for n in range(1, 9):
    SAMPLER_IO += [
        ("Slot%dPlay" % n, L, "Slot %d Play" % n),
        ("Slot%dLoop" % n, L, "Slot %d Loop" % n),
        ("Slot%dMute" % n, L, "Slot %d Mute" % n),
        ("Slot%dSync" % n, L, "Slot %d Sync" % n),
        ("Slot%dReverse" % n, L, "Slot %d Reverse" % n),
        ("Slot%dKeyLock" % n, L, "Slot %d Key Lock" % n),
        ("Slot%dVolume" % n, N, "Slot %d Volume" % n),
        ("Slot%dPitch" % n, P, "Slot %d Pitch" % n),
        ("Slot%dMode" % n, I, "Slot %d Play Mode" % n),
    ]
SAMPLER_IO += [
    ("OnOff", L, "On/Off"),
    ("SyncAll", L, "Sync All"),
    ("QuantizeAll", L, "Quantize All"),
    ("Volume", N, "Volume"),
    ("FilterAll", N, "Filter"),
    ("BankSelect", I, "Bank Select"),
    ("PitchAll", P, "Pitch"),
]
SAMPLER_IN = [("Slot%dRestart" % n, T, "Slot %d Restart" % n) for n in range(1, 9)] + [
    ("PlayAllHold", L, "Play All (Hold)"),
    ("MuteAllHold", L, "Mute All (Hold)"),
    ("VolumeSweep", N, "Volume Sweep"),
    ("FxAmount", N, "FX Amount"),
    ("BankStep", I, "Bank Step"),
    ("SlotSelect", I, "Slot Select"),
    ("PitchStep", I, "Pitch Step"),
    ("VolumeStep", I, "Volume Step"),
]
SAMPLER_OUT = [
    ("BankName", STR, "Bank Name"),
    ("SelectedSlotName", STR, "Selected Slot Name"),
    ("CurrentBank", I, "Current Bank"),
    ("SelectedSlot", I, "Selected Slot"),
    ("PlayingSlots", I, "Playing Slots"),
    ("LevelMeter", N, "Level Meter"),
    ("LevelMeterLeft", N, "Level Meter Left"),
    ("LevelMeterRight", N, "Level Meter Right"),
    ("SelectedSlotPosition", N, "Selected Slot Position"),
    ("SelectedSlotLevel", N, "Selected Slot Level"),
    ("BeatPhase", N, "Beat Phase"),
    ("AnyPlaying", L, "Any Slot Playing"),
] + [("Slot%dLoaded" % n, L, "Slot %d Loaded" % n) for n in range(1, 9)]

# ---------------------------------------------------------------- recorder, tracker, application, video, registers

RECORDER = rows(IO, [("RecordOnOff", L, "Record On/Off")]) + rows(OUT, [("RecordTime", STR, "Record Time")])

TRACKER = rows(IO, [
    ("PreviewPlay", L, "Preview Play"),
    ("PreviewPosition", N, "Preview Position"),
    ("SortColumn", I, "Sort Column"),
    ("SortOrder", I, "Sort Order"),
    ("ViewMode", I, "View Mode"),
    ("FolderSelect", I, "Folder Select"),
    ("TrackSelect", I, "Track Select"),
    ("ColumnSelect", I, "Column Select"),
    ("TextSize", I, "Text Size"),
    ("FocusPane", I, "Focus Pane"),
]) + rows(IN, [
    ("BrowseUp", T, "Browse Up"),
    ("BrowseDown", T, "Browse Down"),
    ("PageUp", T, "Page Up"),
    ("PageDown", T, "Page Down"),
    ("FolderOpen", T, "Folder Open"),
    ("FolderClose", T, "Folder Close"),
    ("FolderBack", T, "Folder Back"),
    ("AddToPrepareList", T, "Add to Prepare List"),
    ("RemoveFromPrepareList", T, "Remove from Prepare List"),
    ("SearchFocus", T, "Search Focus"),
    ("SearchClear", T, "Search Clear"),
    ("PreviewStop", T, "Preview Stop"),
    ("ScrollTracks", I, "Scroll Tracks"),
    ("ScrollFolders", I, "Scroll Folders"),
    ("ScrollPages", I, "Scroll Pages"),
    ("ScrollColumns", I, "Scroll Columns"),
    ("PreviewSeek", I, "Preview Seek"),
    ("SortColumnStep", I, "Sort Column Step"),
    ("ViewModeStep", I, "View Mode Step"),
    ("ZoomStep", I, "Zoom Step"),
    ("RatingStep", I, "Rating Step"),
    ("PaneStep", I, "Pane Step"),
    ("ExpandHold", L, "Expand Library (Hold)"),
]) + rows(OUT, [("TrackLoadedPulse", T, "Track Loaded Pulse")])

APPLICATION = rows(IN, [
    ("About", T, "About..."),
    ("Preferences", T, "Preferences..."),
    ("FullScreen", T, "Full Screen"),
    ("Minimize", T, "Minimize Window"),
    ("Quit", T, "Quit"),
    ("Undo", T, "Undo"),
    ("Redo", T, "Redo"),
    ("SaveSession", T, "Save Session"),
    ("OpenSession", T, "Open Session..."),
    ("ImportFolder", T, "Import Folder..."),
    ("AnalyseTracks", T, "Analyse Tracks"),
    ("ShowMixer", T, "Show Mixer"),
    ("ShowSamplers", T, "Show Samplers"),
    ("ShowEffects", T, "Show Effects"),
    ("ShowTracker", T, "Show Tracker"),
    ("ShowVideo", T, "Show Video"),
    ("ShowRecorder", T, "Show Recorder"),
    ("ToggleLayout", T, "Toggle Layout"),
    ("TwoDeckLayout", T, "Two Deck Layout"),
    ("FourDeckLayout", T, "Four Deck Layout"),
    ("MidiLearn", T, "MIDI Learn"),
    ("ReloadMappings", T, "Reload Mappings"),
    ("AudioSetup", T, "Audio Setup..."),
    ("Help", T, "Help"),
])
# The plugin preferences command has a blank in its alias; the row is kept exactly as the host writes it.
PLUGIN_PREFERENCES_ROW = 'In     app(Plugin Preferences) (Trigger) == "Plugin Preferences..."'

VIDEO = rows(IO, [
    ("OnOff", L, "Video On/Off"),
    ("AutoTransition", L, "Auto Transition"),
    ("Crossfader", N, "Video Crossfader"),
    ("Brightness", N, "Brightness"),
    ("SourceLeft", I, "Source Left"),
    ("SourceRight", I, "Source Right"),
    ("TransitionSelect", I, "Transition Select"),
    ("EffectSelect", I, "Effect Select"),
    ("TextOverlay", I, "Text Overlay"),
    ("OutputScreen", I, "Output Screen"),
    ("TransitionLength", I, "Transition Length"),
]) + rows(IN, [
    ("TransitionLeft", T, "Transition to Left"),
    ("TransitionRight", T, "Transition to Right"),
    ("Snapshot", T, "Snapshot"),
    ("EffectAmount", N, "Effect Amount"),
    ("CrossfaderSweep", N, "Crossfader Sweep"),
])

REGISTERS = rows(IO, [("RegisterLogic%d" % n, L, "Register Logic %d" % n) for n in range(1, 5)]
                 + [("RegisterInteger%d" % n, I, "Register Integer %d" % n) for n in range(1, 5)])

EVENT_NAMES = ['"Startup"', '"Shutdown"', '"StateRequest"']


# ---------------------------------------------------------------- assembling

def unit(io, inn, out):
    """A unit group: its In&Out, In and Out blocks, separated by one empty line."""
    return [rows(IO, io), rows(IN, inn), rows(OUT, out)]


def all_units(io, inn):
    """An "all units" group: every control a MIDI input can drive, as In rows."""
    return [rows(IN, io + inn)]


PLAYER_IN_AB = PLAYER_IN + PLAYER_IN_TIMECODE
PLAYER_OUT_AB = PLAYER_OUT + PLAYER_OUT_TIMECODE

GROUPS = [
    ("MODIFIERS", "mod(%s)", [MODIFIERS]),
    ("SYNCTOOLS", "fam(SyncTools).%s", [SYNCTOOLS]),
    ("EXTERNAL CONTROL", "fam(AudioController).%s", [EXTERNAL]),
    ("FX 1", "fam(Fx)[0x1].%s", [rows(IO, FX_IO) + rows(OUT, FX_OUT)]),
    ("FX 2", "fam(Fx)[0x2].%s", [rows(IO, FX_IO) + rows(OUT, FX_OUT)]),
    ("ACTIVE FX", "fam(Fx)[@].%s", [rows(IO, FX_IO) + rows(OUT, FX_OUT)]),
    ("ALL FXS", "fam(Fx)[*].%s", all_units(FX_IO, [])),
    ("MIXER", "fam(Mixer).%s", [rows(IO, MIXER_IO) + rows(OUT, MIXER_OUT)]),
    ("PLAYER A", "fam(Player)[0x1].%s", unit(PLAYER_IO, PLAYER_IN_AB, PLAYER_OUT_AB)),
    ("PLAYER B", "fam(Player)[0x2].%s", unit(PLAYER_IO, PLAYER_IN_AB, PLAYER_OUT_AB)),
    ("PLAYER C", "fam(Player)[0x3].%s", unit(PLAYER_IO, PLAYER_IN, PLAYER_OUT)),
    ("PLAYER D", "fam(Player)[0x4].%s", unit(PLAYER_IO, PLAYER_IN, PLAYER_OUT)),
    ("ACTIVE PLAYER", "fam(Player)[@].%s", unit(PLAYER_IO, PLAYER_IN_AB, PLAYER_OUT_AB)),
    ("ALL PLAYERS", "fam(Player)[*].%s", all_units(PLAYER_IO, PLAYER_IN_AB)),
    ("SAMPLER C", "fam(Sampler)[0x1].%s", unit(SAMPLER_IO, SAMPLER_IN, SAMPLER_OUT)),
    ("SAMPLER D", "fam(Sampler)[0x2].%s", unit(SAMPLER_IO, SAMPLER_IN, SAMPLER_OUT)),
    ("ACTIVE SAMPLER", "fam(Sampler)[@].%s", unit(SAMPLER_IO, SAMPLER_IN, SAMPLER_OUT)),
    ("ALL SAMPLERS", "fam(Sampler)[*].%s", all_units(SAMPLER_IO, SAMPLER_IN)),
    ("RECORDER", "fam(Recorder).%s", [RECORDER]),
    ("TRACKER", "fam(Tracker).%s", [TRACKER]),
    ("APPLICATION", "app(%s)", [APPLICATION]),
    ("VIDEO", "fam(Video)[0x1].%s", [VIDEO]),
    ("REGISTERS", "reg(%s)", [REGISTERS]),
    ("DEVICE-EVENTS names", None, []),
]


def format_row(direction, alias, typ, title):
    return '%s %s (%s) == "%s"' % (direction, alias, typ, title)


def build_lines():
    lines = [""]

    for index, (heading, alias_form, blocks) in enumerate(GROUPS):
        if index > 0:
            lines += ["", ""]

        lines.append(heading + ":")
        first_block = True

        for block in blocks:
            if not block:
                continue
            if not first_block:
                lines.append("")
            first_block = False

            for direction, name, typ, title in block:
                lines.append(format_row(direction, alias_form % name, typ, title))

        if heading == "APPLICATION":
            lines.append(PLUGIN_PREFERENCES_ROW)

    lines += EVENT_NAMES
    return lines


# ---------------------------------------------------------------- checks

EXPECTED_GROUPS = [  # heading, In&Out, In, Out
    ("MODIFIERS", 10, 0, 0), ("SYNCTOOLS", 5, 0, 0), ("EXTERNAL CONTROL", 2, 1, 0),
    ("FX 1", 7, 0, 1), ("FX 2", 7, 0, 1), ("ACTIVE FX", 7, 0, 1), ("ALL FXS", 0, 7, 0),
    ("MIXER", 62, 0, 18), ("PLAYER A", 35, 55, 41), ("PLAYER B", 35, 55, 41),
    ("PLAYER C", 35, 52, 39), ("PLAYER D", 35, 52, 39), ("ACTIVE PLAYER", 35, 55, 41),
    ("ALL PLAYERS", 0, 90, 0), ("SAMPLER C", 79, 16, 20), ("SAMPLER D", 79, 16, 20),
    ("ACTIVE SAMPLER", 79, 16, 20), ("ALL SAMPLERS", 0, 95, 0), ("RECORDER", 1, 0, 1),
    ("TRACKER", 10, 23, 1), ("APPLICATION", 0, 25, 0), ("VIDEO", 11, 5, 0),
    ("REGISTERS", 8, 0, 0), ("DEVICE-EVENTS names", 0, 0, 0),
]

EXPECTED_TYPES = {  # type: (In&Out, In, Out); "references" is the type read from the plugin row
    "Logic": (312, 104, 182), "Trigger": (5, 312, 1), "Integer": (117, 76, 19),
    "Normal": (80, 37, 52), "Polar": (27, 15, 0), "Scratch": (0, 18, 0),
    "String": (0, 0, 30), "Modifier": (1, 0, 0), "references": (0, 1, 0),
}

RANGE_ALIASES = {
    "mod(ShiftSelector)": "Modifier",
    "fam(SyncTools).SnapValue": "Integer", "fam(SyncTools).QuantizeMode": "Integer",
    "fam(Fx)[0x1].InputChannel": "Integer", "fam(Fx)[0x2].InputChannel": "Integer",
    "fam(Fx)[0x1].InputChannelOnOff": "Integer", "fam(Fx)[0x2].InputChannelOnOff": "Integer",
    "fam(Fx)[0x1].Select": "Integer", "fam(Fx)[0x2].Select": "Integer",
    "fam(Fx)[0x1].SelectAndToggle": "Integer", "fam(Fx)[0x2].SelectAndToggle": "Integer",
    "fam(Mixer).CrossfaderPreset": "Integer",
    "fam(Player)[0x1].AutoLoopSelect": "Integer", "fam(Player)[0x1].AutoLoopSelectAndTrigger": "Integer",
    "fam(Player)[0x1].PitchRange": "Integer", "fam(Player)[0x1].PitchMode": "Integer",
}

QUOTED_ROWS = [
    'In&Out fam(Fx)[0x1].OnOff (Logic) == "ON/OFF"',
    'In     fam(Player)[0x1].CuePlay (Trigger) == "Cue-Play"',
    '   Out fam(Player)[0x1].TrackTitle (String) == "Track Title"',
    'In&Out mod(ShiftSelector) (Modifier) == "Shift Selector"',
    'In     fam(Player)[0x1].ComboJog (Scratch) == "Combo Jog"',
    'In     fam(Player)[0x1].PitchBend (Polar) == "Pitch Bend"',
    '   Out fam(Mixer).MasterMeter (Normal) == "Master Meter"',
    'In     app(About) (Trigger) == "About..."',
    'In&Out reg(RegisterLogic1) (Logic) == "Register Logic 1"',
    'In&Out mod(ShiftLogic1) (Logic) == "Shift Logic 1"',
    'In&Out fam(Player)[0x1].PlayPause (Logic) == "Play / Pause"',
    PLUGIN_PREFERENCES_ROW,
]

ROW = re.compile(r'^(In&Out|In    |   Out) (\S+) \((\w+)\) == "([^"=]*)"$')


def check(lines):
    problems = []

    def expect(condition, message):
        if not condition:
            problems.append(message)

    expect(len(lines) == 1479, "%d lines" % len(lines))
    expect(lines[0] == "", "first line not empty")
    expect(sum(1 for l in lines if l == "") == 63, "%d empty lines" % sum(1 for l in lines if l == ""))
    expect(lines[-3:] == EVENT_NAMES, "event names missing at the end")
    expect(all(ord(c) < 128 for l in lines for c in l), "text is not 7-bit ASCII")

    groups = collections.OrderedDict()
    types = collections.defaultdict(lambda: [0, 0, 0])
    aliases = {IO: {}, IN: {}, OUT: {}}
    current = None

    for line in lines:
        if line.endswith(":"):
            current = line[:-1]
            groups[current] = [0, 0, 0]
            continue
        if line == "" or line in EVENT_NAMES:
            continue
        if line == PLUGIN_PREFERENCES_ROW:
            groups[current][1] += 1
            types["references"][1] += 1
            continue

        match = ROW.match(line)
        expect(match is not None, "bad row: " + line)
        if not match:
            continue

        direction, alias, typ, _ = match.groups()
        column = [IO, IN, OUT].index(direction)
        groups[current][column] += 1
        types[typ][column] += 1
        expect(not alias[-1].isdigit(), "alias ends in a digit: " + alias)

        for d in ([IO, IN, OUT] if direction == IO else [direction, IO]):
            expect(alias not in aliases[d], "alias twice in one tree: " + alias)
        aliases[direction][alias] = typ

    expect([(g, *c) for g, c in groups.items()] == [tuple(e) for e in EXPECTED_GROUPS],
           "group counts differ: %s" % [(g, *c) for g, c in groups.items()])
    expect({t: tuple(c) for t, c in types.items()} == EXPECTED_TYPES,
           "type counts differ: %s" % {t: tuple(c) for t, c in types.items()})

    for alias, typ in RANGE_ALIASES.items():
        found = [aliases[d].get(alias) for d in aliases if alias in aliases[d]]
        expect(found and all(t == typ for t in found), "range alias %s missing or not %s" % (alias, typ))

    for row in QUOTED_ROWS:
        expect(row in lines, "row missing: " + row)

    return problems


def main():
    lines = build_lines()
    problems = check(lines)

    if problems:
        for p in problems:
            print("error:", p, file=sys.stderr)
        return 1

    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = os.path.join(root, "src", "resources", "catalogue", "controls.txt")

    with open(target, "wb") as f:
        f.write("\r\n".join(lines).encode("ascii"))

    print("wrote %s (%d lines, %d bytes)" % (target, len(lines), os.path.getsize(target)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
