<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>ToolsPanel</name>
    <message>
        <source>GradeCam</source>
        <translation>Notation</translation>
    </message>
    <message>
        <source>Reconnect</source>
        <translation>Reconnecter</translation>
    </message>
    <message>
        <source>The DocCam will be disconnected from
 Quillo while we take you to the Lumo
 Gradecam Insight login page. Are you
 sure you want to proceed?</source>
        <translation>La DocCam sera déconnectée de
 Quillo pendant la connexion à la page
 Gradecam Insight de Lumo. Voulez-vous
 continuer ?</translation>
    </message>
    <message>
        <source>Quillo can not reconnect to the DocCam.
 Make sure you are logged out of 
 Gradecam.</source>
        <translation>Quillo ne peut pas se reconnecter à la DocCam.
 Vérifiez que vous êtes déconnecté de
 Gradecam.</translation>
    </message>
    <message>
        <source>Split screen</source>
        <translation>Écran partagé</translation>
    </message>
    <message>
        <source>Main menu</source>
        <translation>Menu principal</translation>
    </message>
    <message>
        <source>Widget mode</source>
        <translation>Mode widget</translation>
    </message>
</context>
</TS>
