<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>ToolsPanel</name>
    <message>
        <source>Capture</source>
        <translation>Capturer</translation>
    </message>
    <message>
        <source>Annotation</source>
        <translation>Dessin</translation>
    </message>
    <message>
        <source>Split screen</source>
        <translation>Écran partagé</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Widget mode</source>
        <translation>Mode widget</translation>
    </message>
    <message>
        <source>Presenter</source>
        <translation>Présentateur</translation>
    </message>
</context>
</TS>
