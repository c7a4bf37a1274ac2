<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>FindBar</name>
    <message numerus="yes">
        <location filename="../src/views/find_bar.cpp" line="+173"/>
        <source>%n matches</source>
        <translation>
            <numerusform>%n match</numerusform>
            <numerusform>%n matches</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>HistoryPreferences</name>
    <message numerus="yes">
        <location filename="../src/preferences/history_preferences.cpp" line="+53"/>
        <location line="+2"/>
        <source> days</source>
        <translation>
            <numerusform> day</numerusform>
            <numerusform> days</numerusform>
        </translation>
    </message>
</context>
</TS>
