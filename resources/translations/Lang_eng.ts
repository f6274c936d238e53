<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB">
<context>
    <name>AVIRecordingThread</name>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The free space fell below the floor.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not enough disk space for recording.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Quillo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;Lucida Grande&apos;; font-size:13pt;&quot;&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;Quillo, a presentation program for a USB document camera.&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;Copyright © 2026 the Quillo developers.&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;&lt;br /&gt;&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;Quillo is free software: you can redistribute it and/or modify it under the terms of the GNU General Public License as published by the Free Software Foundation, either version 3 of the License, or (at your option) any later version (GPL-3.0-or-later).&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;&lt;br /&gt;&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;Quillo is distributed in the hope that it will be useful, but WITHOUT ANY WARRANTY; without even the implied warranty of MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE. See the GNU General Public License for more details: https://www.gnu.org/licenses/&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;&lt;br /&gt;&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;Quillo uses these libraries, each under its own licence:&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;Qt 6, under the GNU LGPL version 3.&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;FFmpeg (libavformat, libavcodec, libavutil, libswscale), under the GNU LGPL version 2.1 or later; builds that include its GPL parts, as Debian&apos;s does, under the GNU GPL version 2 or later.&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;XviD, through FFmpeg, under the GNU GPL version 2 or later.&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;PulseAudio (libpulse), under the GNU LGPL version 2.1 or later.&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;libv4l2, under the GNU LGPL version 2.1 or later.&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;libudev, under the GNU LGPL version 2.1 or later.&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;libX11, libXfixes and libxcb, under the MIT/X11 licence.&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;SQLite, through Qt SQL, in the public domain.&lt;/p&gt;
&lt;p style=&quot; margin:0px; font-size:10pt;&quot;&gt;GStreamer, under Qt Multimedia, under the GNU LGPL version 2.1 or later.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copyright © 2026 the Quillo developers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AccountSettingDlg</name>
    <message>
        <source>Account Setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>* is required.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connecting...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Authenticating...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillo does not have permission to upload files to your account. Do you want to grant permission to Quillo?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AnnoPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freehand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shape</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Redo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+K</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AnnotationImpl</name>
    <message>
        <source>Not enough memory.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CameraInitBar</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;Lucida Grande&apos;; font-size:13pt; font-weight:400; font-style:normal;&quot;&gt;
&lt;p align=&quot;center&quot; style=&quot; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;span style=&quot; font-size:22pt; font-weight:600; color:#b0b0b0;&quot;&gt;Connecting to Camera&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CameraWidget</name>
    <message>
        <source>Camera not connected</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CanvasEditor</name>
    <message>
        <source>Undo Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Clear All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All Image Files (*.bmp *.jpg *.jpeg *.gif *.tif *.png)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Insert Image File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The format is not supported.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insufficient memory.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Opacity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Rotate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Scale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Mirror</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Flip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Bring to Front</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Send to Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Bring Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Send Backward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Clone</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CaptureImpl</name>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Permission Denied! You do not have access to the directory.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You do not have permission to write to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not enough disk space!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Captured image cannot be saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Capturing...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time Lapse Capture Interrupted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can&apos;t save image to destination folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time Lapse Capture Completed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you really want to exit Quillo?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time Lapse Capture is on going!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 image has been captured in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 images have been captured in %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CaptureSeletionPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DocCam</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time lapse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>00</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interval</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1/4</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ColorCube</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Color</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DeleteFolderDialog</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete Folder &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot remove this folder</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DeleteInfoDialog</name>
    <message>
        <source>Delete Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> contains: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to delete?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to remove link?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 uploading file.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 uploading files.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 non-Media file.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 non-Media files.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 hidden Media file
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 hidden Media files
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 media files uploaded before.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 read-only file.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 read-only files.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DocCamAdjustToolsPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brightness</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>near</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manual focus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera modes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black and white</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Negative</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Microscope</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Far</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Near</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Black and White</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DocCamControlPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto focus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset zoom</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adjust image</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FreehandPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thickness:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 99 px</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transparency:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 100%</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GradingServicePage</name>
    <message>
        <source>The grading service is not set up in this build.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The grading service&apos;s login page could not be opened.
The DocCam is taken back.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImageControlPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImageWidget</name>
    <message>
        <source>Invalid format.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Media</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The picture is too large to show.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LinePanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thickness:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 99 px</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transparency:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 100%</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LumoVisionImpl</name>
    <message>
        <source>Camera not connected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera in use</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumo DocCam in use!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Other applications are using the DocCam.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please try to close some applications and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Parameter tuning...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaInfoModifiedPanel</name>
    <message>
        <source>Save/Publish video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>background-color: rgb(224,224,224);</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Author</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keywords</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Description</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Publish Setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Publish at</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>hh:mm A</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MM/dd/yyyy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save/Publish</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File is in use.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name cannot be empty.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File does not exist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The title, keywords and description of this file could not be saved.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaLibSaveResult</name>
    <message>
        <source>Save result</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your file is now available under Media Library or at</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body&gt;
&lt;p style=&quot; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;span style=&quot; font-size:9pt;&quot;&gt;C:/folder&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your video is now published. Check to view.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files failed to export to Website.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaLibTableModel</name>
    <message>
        <source>Media Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Duration</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaLibrary</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaLibraryImpl</name>
    <message>
        <source>The recording was kept, but its title, keywords and description could not be saved.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaLibraryPanel</name>
    <message>
        <source>My Computer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search result: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search result</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current directory path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NewFolder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Path is invalid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create new folder failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter keyword to search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Return to previous directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minimize Media Library panel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch between view/list mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Press to search from all traversed media files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add new folder under current directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Launch upload manager</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drag to resize Media Library panel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaViewOperations</name>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rename</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add new Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> is in use</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to delete </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This file is in Upload queue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This file is in use</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination file exists and is write protected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination file exists. Do you want to replace?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy%1-%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MoveFileDialog</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Path is invalid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open file failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>file...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>From </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Completed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move Copy file failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy file failed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OAuthClient</name>
    <message>
        <source>Open this page and enter the code below:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Then return to Quillo and press OK.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OAuthLoopbackListener</name>
    <message>
        <source>Quillo did not receive permission. You may close this page.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillo has received permission; return to Quillo and press OK.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PenPanel</name>
    <message>
        <source> %1 px</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PipView</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PresenterPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Spotlight</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Visor</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QApplication</name>
    <message>
        <source>Undo Move</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Flip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Mirror</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Freehand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Insert Image File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Shape</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Highlighter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Opacity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Rotate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Scale</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QDialog</name>
    <message>
        <source>Remove uploaded file from </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overall Progress</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QGraphicsScene</name>
    <message>
        <source>Insufficient memory.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Unable to read due to invalid format.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to read corrupt data.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Eraser</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot set file attributes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rename file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination file exists. Do you want to replace it?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Path does not exist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This file is playing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillo is generating thumbnail for this file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This file is in upload queue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete file failed.
This file may be read-only or in use.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rename failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name cannot contain following characters:
&quot; / \ : * ? &lt; &gt; |</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name is limited to 255 characters in length</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This file is in use</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rename failed:
%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Quillo</name>
    <message>
        <source>Quillo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GradeCam</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Menu</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Media Library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reconnect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The DocCam will be disconnected from
 Quillo while we take you to the Lumo
 Gradecam Insight login page. Are you
 sure you want to proceed?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillo can not reconnect to the DocCam.
 Make sure you are logged out of 
 Gradecam.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording stops when the open dialog is closed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording stopped for the exit is kept in:
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The media folder cannot be found:
%1

Captures and recordings go to
%2
until it is back.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillo cannot write to its data folder:
%1

Changed settings, upload schedules and the information of new captures are not kept until it can.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecordingCommonImpl</name>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Permission Denied! You do not have access to the directory.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You do not have permission to write to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not enough disk space!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot start recording!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you really want to exit Quillo?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording in progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording interrupted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination disk removed!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecordingCounter</name>
    <message>
        <source>Recording %1:%2:%3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecordingImpl</name>
    <message>
        <source>Use XVID codec failed. Please contact customer service</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The microphone gives no sound.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording goes on without sound.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecordingStarter</name>
    <message>
        <source>Widget</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;Lucida Grande&apos;; font-size:13pt; font-weight:400; font-style:normal;&quot;&gt;
&lt;p align=&quot;center&quot; style=&quot; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;span style=&quot; font-size:24pt; color:#ffffff;&quot;&gt;start recording in&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;Lucida Grande&apos;; font-size:13pt; font-weight:400; font-style:normal;&quot;&gt;
&lt;p align=&quot;center&quot; style=&quot; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;span style=&quot; font-size:150pt; font-weight:600; color:#ffffff;&quot;&gt;3&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;Lucida Grande&apos;; font-size:13pt; font-weight:400; font-style:normal;&quot;&gt;
&lt;p align=&quot;center&quot; style=&quot; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;span style=&quot; font-size:20pt; color:#d6d6d6;&quot;&gt;press &lt;/span&gt;&lt;span style=&quot; font-size:20pt; font-weight:600; color:#ffffff;&quot;&gt;esc&lt;/span&gt;&lt;span style=&quot; font-size:20pt; color:#d6d6d6;&quot;&gt; to stop recording&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RemoveProgressDlg</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RequestTokenDlg</name>
    <message>
        <source>Authentication Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ScheduleItemView</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thumbnail</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Link</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SocialIcon</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please click &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It will upload at </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click to cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click to retry</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ScheduleManager</name>
    <message>
        <source>Schedule Queue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There are pending jobs passed the schedule.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to upload them immediately?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you really want to exit Quillo?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There are jobs scheduled to be uploaded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The upload list could not be saved: queued jobs would be lost when Quillo closes. Quillo tries again at the next change.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The upload list could not be saved: they will be lost.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingDialog</name>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Microphone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QSlider::groove:horizontal {
    border: 1px solid #bbb;
    background: gray;
    height: 3px;
    border-radius: 4px;
}
QSlider::handle:horizontal {
    background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #fff, stop:1 #eee);
    border: 1px solid #777;
    width: 13px;
    margin-top: -3px;
    margin-bottom: -3px;
    border-radius: 4px;
}
QSlider::handle:horizontal:hover {
    background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #fff, stop:1 #ddd);
    border: 1px solid #444;
    border-radius: 4px;
}</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QSlider::groove:horizontal {
    border: 1px solid #bbb;
    background: gray;
    height: 3px;
    border-radius: 4px;
}
QSlider::sub-page:horizontal {
    background: rgb(29, 29, 29);
    height: 3px;
    border-radius: 1px;
}
QSlider::add-page:horizontal {
    background: rgb(215, 46, 46);
    height: 3px;
    border-radius: 1px;
}
QSlider::handle:horizontal {
    background: rgb(29, 29, 29);
    border: 1px solid #777;
    width: 1px;
}</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Default Recording Resolution:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low Quality</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Medium Quality</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High Quality</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Default Save Directory:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>background: rgb(224, 224, 224);</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QToolButton {
    border: 1px solid rgb(184, 184, 184);
    background: qradialgradient(cx:0.5, cy:0.5, radius:1, fx:0.5, fy:0.5, stop:0 rgba(255, 255, 255, 0), stop:1 rgba(255, 255, 255, 164));
    text-align: bottom;
}
QToolButton:hover {
    background: rgb(224, 224, 224);
}</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Webcam</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QWidget#webCamWidget { background: black; }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Site login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Validate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploading is not available, so accounts cannot be set here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Length of file path is over limitation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination folder is write protected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillo cannot write to
%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ShapePanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shape</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thickness:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 99 px</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transparency:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 100%</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SplitScreenPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DocCam</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WebCam</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Media</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SpotlightWidget</name>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Triangle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rectangle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Circle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transparent</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TextPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Italic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Underline</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bold</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ToolsPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DocCam</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Annotation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Capture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Split screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Widget mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Presenter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Main menu</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GradeCam</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The DocCam will be disconnected from
 Quillo while we take you to the Lumo
 Gradecam Insight login page. Are you
 sure you want to proceed?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillo can not reconnect to the DocCam.
 Make sure you are logged out of 
 Gradecam.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reconnect</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UploadImpl</name>
    <message>
        <source>Youtube access cannot user account with &apos;@&apos;!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillo does not have permission to upload files to your account. Do you want to grant permission to Quillo?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File size is zero!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title is required!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please delete upload file from Facebook.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please delete upload file from Twitpic.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picasa&apos;s description limit is 1000 characters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>These uploaded copies could not be removed and stay online:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please delete them on the service&apos;s website.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Youtube: video %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picasa: photo %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dropbox: public/%1/%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UploadIntf</name>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UploadNowOrReschedule</name>
    <message>
        <source>Quillo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There are jobs need to upload now.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please select new time to upload.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>hh:mm:ss AP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UploadProgressBar</name>
    <message>
        <source>Upload Progress Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ready to upload...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overall Progress</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ValidationAndResultDlg</name>
    <message>
        <source>Validation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Starting...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ValidationProcess</name>
    <message>
        <source>Connecting...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Authenticating...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Validated Account!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillo does not have permission to upload files to your account. Do you want to grant permission to Quillo?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ValidationProgressDlg</name>
    <message>
        <source>Authentication Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>VideoControlPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QFrame#VideoControlPanel {
    border: 1px solid rgb(184, 184, 184);
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgba(255, 255, 255, 230), stop:1 rgba(184, 184, 184, 230));
}
QPushButton:checked {
    border: none;
    background: transparent;
}</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QSlider::groove:horizontal {
    border: 1px solid #bbb;
    background: gray;
    height: 3px;
    border-radius: 4px;
}
QSlider::handle:horizontal {
    background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #fff, stop:1 #eee);
    border: 1px solid #777;
    width: 13px;
    margin-top: -3px;
    margin-bottom: -3px;
    border-radius: 4px;
}
QSlider::handle:horizontal:hover {
    background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #fff, stop:1 #ddd);
    border: 1px solid #444;
    border-radius: 4px;
}</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>border: transparent; background: transparent;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>VideoImpl</name>
    <message>
        <source>The video file is invaild</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This video file is invaild</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can&apos;t Play Video!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>VisorWidget</name>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transparent</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WebCamImpl</name>
    <message>
        <source>Camera not connected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera in use</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WidgetModeDocCamCtrlPanel</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto focus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WidgetModeToolBar</name>
    <message>
        <source>Quillo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Capture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DocCam</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show/Hide vision</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back to normal mode</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WinAVIRecordingImpl</name>
    <message>
        <source>The next file of the recording could not be created.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording could not be written.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>X11ScreenGrabber</name>
    <message>
        <source>The recorded screen was disconnected.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The screen can only be recorded in an X11 session. Please sign in with an X11 (Xorg) session to record.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No screen to record was found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The X server cannot be reached.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The screen could not be read (X error %1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The screen&apos;s pixel format cannot be recorded.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
