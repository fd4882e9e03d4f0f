"""Every control as a screen reader hears it, in Tab order, one row a control: its name in the
code, the group it is announced in (empty: the window), its AT-SPI role, the name spoken for it
(a list's or field's from its label) and its description, its tooltip (None: not checked)."""

# The device tab strip is named after the tab shown: its caption.
SHOWN_TAB = object()
TAB_CAPTIONS = {"Pelvox2": "Pelvox2", "Pelvox/HD": "Pelvox/HD", "8Wendlo": "8Wendlo",
                "Orbalite": "Orbalite", "8-Bit": " 8-Bit"}
MAIN_BEFORE_TABS = [
    ("RichTextBox1", "", "text", "Log", ""),
    ("PortCmb", "Settings", "combo box", "Port:", None),
    ("ViewCmb", "Settings", "combo box", "View:", "Log window view type."),
    ("IDChk", "Settings", "check box", "Use ID:", ""),
    ("IDTxt", "Settings", "text", "Unit ID", "ID number of device to control."),
    ("CfgStrCmd", "Quick Strings", "push button", "Configure Strings", ""),
    ("Str1Cmd", "Quick Strings", "push button", "Send String 1", ""),
    ("Str2Cmd", "Quick Strings", "push button", "Send String 2", ""),
    ("Str3Cmd", "Quick Strings", "push button", "Send String 3", ""),
    ("Str4Cmd", "Quick Strings", "push button", "Send String 4", ""),
    ("Str5Cmd", "Quick Strings", "push button", "Send String 5", ""),
    ("ClearCmd", "", "push button", "Clear Log", "Clear all text from log window."),
    ("SaveLogCmd", "", "push button", "Save Log", "Save log to file."),
    ("FontCmd", "", "push button", "Font Size", "Change log window font size."),
    ("RapidCmd", "", "push button", "Rapid Fire", "Send last serial string in rapid succession."),
    ("DeviceTab", "", "page tab list", SHOWN_TAB, ""),
]
MAIN_AFTER_PANEL = [
    ("CustomTxt", "Custom Serial String", "text", "Custom Serial String",
     "Create custom serial command string."),
    ("SendCusCmd", "Custom Serial String", "push button", "Send", "Send custom command string."),
    ("ExitCmd", "", "push button", "Exit", ""),
]

# Each device tab's panel, and the 8-Bit panel once a command with both data fields is chosen.
PANELS = {
    "Pelvox2": [
        ("Pelvox2SearchCmd", "push button", "Search", ""),
        ("Pelvox2FileTxt", "text", "File number", "Enter file number to select here."),
        ("Pelvox2StopCmd", "push button", "Stop", ""),
        ("Pelvox2MuteCmd", "push button", "Mute", ""),
        ("Pelvox2MuteCmb", "combo box", "Media to mute", ""),
        ("Pelvox2SampleRateCmb", "combo box", "Audio sample rate", ""),
        ("Pelvox2SampleRateCmd", "push button", "Sample Rate", ""),
        ("Pelvox2PlayCmd", "push button", "Play", ""),
        ("Pelvox2StillCmd", "push button", "Still", ""),
        ("Pelvox2UnmuteCmd", "push button", "Unmute", ""),
        ("Pelvox2UnmuteCmb", "combo box", "Media to unmute", ""),
        ("Pelvox2LPlayCmd", "push button", "Loop Play", ""),
        ("Pelvox2PauseCmd", "push button", "Pause", ""),
        ("Pelvox2RequestCmd", "push button", "Request", ""),
        ("Pelvox2ReqCmb", "combo box", "Information to request", ""),
        ("Pelvox2DHCPCmd", "push button", "DHCP", ""),
        ("Pelvox2RebootCmd", "push button", "Soft Reboot", ""),
        ("Pelvox2SetCmd", "push button", "Set", ""),
        ("Pelvox2SetCmb", "combo box", "Parameter to set", ""),
        ("Pelvox2SetTxt", "text", "TO", "Enter new parameter here."),
    ],
    "Pelvox/HD": [
        ("PelvoxHDSearchCmd", "push button", "Search", ""),
        ("PelvoxHDFileTxt", "text", "File number", ""),
        ("PelvoxHDPlayCmd", "push button", "Play", ""),
        ("PelvoxHDDebugCmd", "push button", "Debug Mode", ""),
        ("PelvoxHDDebugCmb", "combo box", "Debug Mode option", ""),
        ("PelvoxHDVersionCmd", "push button", "OS Version", ""),
        ("PelvoxHDStopCmd", "push button", "Stop", ""),
        ("PelvoxHDLPlayCmd", "push button", "Loop Play", ""),
        ("PelvoxHDSetIPCmd", "push button", "Set IP", ""),
        ("PelvoxHDSetIPTxt", "text", "IP Address", ""),
        ("PelvoxHDIPReqCmd", "push button", "IP Request", ""),
        ("PelvoxHDPauseCmd", "push button", "Pause", ""),
        ("PelvoxHDMuteCmb", "combo box", "Media to mute", ""),
        ("PelvoxHDMuteCmd", "push button", "Mute", ""),
        ("CSpaceCmd", "push button", "Colorspace", ""),
        ("CSpaceCmb", "combo box", "Colorspace", ""),
        ("PelvoxHDStillCmd", "push button", "Still", ""),
        ("PelvoxHDUnmuteCmb", "combo box", "Media to unmute", ""),
        ("PelvoxHDUnmuteCmd", "push button", "Unmute", ""),
        ("VFormatCmd", "push button", "Video Format", ""),
        ("VFormatCmb", "combo box", "Video format", ""),
    ],
    "8Wendlo": [
        ("ChanCmb", "combo box", "Channel:", ""),
        ("WendloASoundCmd", "push button", "Assign Sound", ""),
        ("WendloVerCmd", "push button", "Firmware Version", ""),
        ("WendloFileTxt", "text", "File:", ""),
        ("WendloResetCmd", "push button", "Reset Channel", ""),
        ("WendloPlayCmd", "push button", "Play", ""),
        ("WendloAudioCmb", "combo box", "Audio command", ""),
        ("WendloAudioCmd", "push button", "Audio", ""),
        ("WendloLPlayCmd", "push button", "Loop Play", ""),
        ("WendloKeyCmb", "combo box", "Keylock command", ""),
        ("WendloKeyCmd", "push button", "Keylock", ""),
    ],
    "Orbalite": [
        ("MP3SearchCmd", "push button", "Search", ""),
        ("MP3FileTxt", "text", "File number", ""),
        ("MP3PlayCmd", "push button", "Play", ""),
        ("MP3FormatCmd", "push button", "Format Drive", ""),
        ("MP3FromTxt", "text", "From:", "Original file name."),
        ("MP3FromExtTxt", "text", "From extension", "Original file extension."),
        ("MP3StopCmd", "push button", "Stop", ""),
        ("MP3LPlayCmd", "push button", "Loop Play", ""),
        ("MP3VerCmd", "push button", "Firmware Version", ""),
        ("MP3ToTxt", "text", "To:", "New file name."),
        ("MP3ToExtTxt", "text", "To extension", "New file extension."),
        ("MP3RNCmd", "push button", "Rename File", ""),
        ("MP3PauseCmd", "push button", "Pause", ""),
        ("MP3AudioCmb", "combo box", "Audio command", ""),
        ("MP3AudioCmd", "push button", "Audio", ""),
        ("MP3StorageCmd", "push button", "Total Storage", ""),
        ("MP3FListCmd", "push button", "List Files", ""),
        ("MP3ResetCmd", "push button", "Soft Reset", ""),
    ],
    "8-Bit": [
        ("TargetAdrCmb", "combo box", "Target Address:", ""),
        ("ResponseCmb", "combo box", "Response:", ""),
        ("SCSetCmd", "push button", "Send", ""),
        ("SCCmdCmb", "combo box", "Show Controller command", ""),
    ],
}

PANELS["8-Bit, MessageOut chosen"] = PANELS["8-Bit"] + [
    ("SCData1Cmb", "combo box", "Serial Port", ""),
    ("SCData2Txt", "text", "Message", "Enter file number to select here."),
]

# A button of each panel, pressed once the choices it needs are typed in, and what it sends.
PRESSES = {
    "Pelvox2": ([], "Play", b"PL\r"),
    "Pelvox/HD": ([], "OS Version", b"?V\r"),
    "8Wendlo": ([], "Firmware Version", b"?V\r"),
    "Orbalite": ([], "List Files", b"?D\r"),
    "8-Bit": ([("Target Address:", "0"), ("Response:", "N"), ("Show Controller command", "SendVe")],
              "Send", bytes.fromhex("F5 00 00 01 42 43")),
}

# The quick string dialog, a dialog of its own.
STRINGS_DIALOG = [
    ("Str1Txt", "", "text", "String 1:", ""),
    ("Str2Txt", "", "text", "String 2:", ""),
    ("Str3Txt", "", "text", "String 3:", ""),
    ("Str4Txt", "", "text", "String 4:", ""),
    ("Str5Txt", "", "text", "String 5:", ""),
    ("cmdOK", "", "push button", "OK", ""),
    ("cmdCancel", "", "push button", "Cancel", ""),
    ("cmdApply", "", "push button", "Apply", ""),
]

def main_window(tab):
    """The rows of the main window with the panel of that tab shown, in Tab order, each with
    whether it is enabled (Tab passes over one that is not)."""
    panel = tab.split(",")[0]
    rows = [(name, group, role, TAB_CAPTIONS[panel] if spoken is SHOWN_TAB else spoken, description,
             panel == "Pelvox2" or name not in ("IDChk", "IDTxt"))  # the unit ID's
            for name, group, role, spoken, description in MAIN_BEFORE_TABS]
    rows += [(name, panel, role, spoken, description, True)
             for name, role, spoken, description in PANELS[tab]]
    return rows + [row + (True,) for row in MAIN_AFTER_PANEL]
