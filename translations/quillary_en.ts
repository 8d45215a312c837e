<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>MainWindow</name>
    <message numerus="yes">
        <source>%n pages</source>
        <translation>
            <numerusform>%n page</numerusform>
            <numerusform>%n pages</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n blank pages were left out.</source>
        <translation>
            <numerusform>%n blank page was left out.</numerusform>
            <numerusform>%n blank pages were left out.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PageProcessing</name>
    <message numerus="yes">
        <source>The page processor took longer than %n second(s) and was stopped.</source>
        <translation>
            <numerusform>The page processor took longer than %n second and was stopped.</numerusform>
            <numerusform>The page processor took longer than %n seconds and was stopped.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StartPanel</name>
    <message numerus="yes">
        <source>%n pages from your last session</source>
        <translation>
            <numerusform>%n page from your last session</numerusform>
            <numerusform>%n pages from your last session</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 earlier sessions kept; the oldest, %n pages of %2, will be removed when you start a new document.</source>
        <translation>
            <numerusform>%1 earlier sessions kept; the oldest, %n page of %2, will be removed when you start a new document.</numerusform>
            <numerusform>%1 earlier sessions kept; the oldest, %n pages of %2, will be removed when you start a new document.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TimerPage</name>
    <message numerus="yes">
        <source>Next scan in %n seconds</source>
        <translation>
            <numerusform>Next scan in %n second</numerusform>
            <numerusform>Next scan in %n seconds</numerusform>
        </translation>
    </message>
</context>
</TS>
