<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AVError</name>
    <message>
        <source>Operation not permitted</source>
        <translation>Operation not permitted</translation>
    </message>
    <message>
        <source>No such file or directory</source>
        <translation>No such file or directory</translation>
    </message>
    <message>
        <source>Interrupted system call</source>
        <translation>Interrupted system call</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>Input/output error</translation>
    </message>
    <message>
        <source>No such device or address</source>
        <translation>No such device or address</translation>
    </message>
    <message>
        <source>Bad file descriptor</source>
        <translation>Bad file descriptor</translation>
    </message>
    <message>
        <source>Resource temporarily unavailable</source>
        <translation>Resource temporarily unavailable</translation>
    </message>
    <message>
        <source>Cannot allocate memory</source>
        <translation>Cannot allocate memory</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation>Device or resource busy</translation>
    </message>
    <message>
        <source>File exists</source>
        <translation>File exists</translation>
    </message>
    <message>
        <source>No such device</source>
        <translation>No such device</translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation>Not a directory</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>Is a directory</translation>
    </message>
    <message>
        <source>Invalid argument</source>
        <translation>Invalid argument</translation>
    </message>
    <message>
        <source>Too many open files in system</source>
        <translation>Too many open files in system</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>File too large</source>
        <translation>File too large</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>No space left on device</translation>
    </message>
    <message>
        <source>Illegal seek</source>
        <translation>Illegal seek</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>Read-only file system</translation>
    </message>
    <message>
        <source>Broken pipe</source>
        <translation>Broken pipe</translation>
    </message>
    <message>
        <source>Numerical result out of range</source>
        <translation>Numerical result out of range</translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation>File name too long</translation>
    </message>
    <message>
        <source>Function not implemented</source>
        <translation>Function not implemented</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation>Too many levels of symbolic links</translation>
    </message>
    <message>
        <source>Operation not supported</source>
        <translation>Operation not supported</translation>
    </message>
    <message>
        <source>Connection timed out</source>
        <translation>Connection timed out</translation>
    </message>
    <message>
        <source>Stale file handle</source>
        <translation>Stale file handle</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>Disk quota exceeded</translation>
    </message>
    <message>
        <source>Bitstream filter not found</source>
        <translation>Bitstream filter not found</translation>
    </message>
    <message>
        <source>Internal bug, should not have happened</source>
        <translation>Internal bug, should not have happened</translation>
    </message>
    <message>
        <source>Buffer too small</source>
        <translation>Buffer too small</translation>
    </message>
    <message>
        <source>Decoder not found</source>
        <translation>Decoder not found</translation>
    </message>
    <message>
        <source>Demuxer not found</source>
        <translation>Demuxer not found</translation>
    </message>
    <message>
        <source>Encoder not found</source>
        <translation>Encoder not found</translation>
    </message>
    <message>
        <source>End of file</source>
        <translation>End of file</translation>
    </message>
    <message>
        <source>Immediate exit requested</source>
        <translation>Immediate exit requested</translation>
    </message>
    <message>
        <source>Generic error in an external library</source>
        <translation>Generic error in an external library</translation>
    </message>
    <message>
        <source>Filter not found</source>
        <translation>Filter not found</translation>
    </message>
    <message>
        <source>Invalid data found when processing input</source>
        <translation>Invalid data found when processing input</translation>
    </message>
    <message>
        <source>Muxer not found</source>
        <translation>Muxer not found</translation>
    </message>
    <message>
        <source>Option not found</source>
        <translation>Option not found</translation>
    </message>
    <message>
        <source>Not yet implemented in FFmpeg, patches welcome</source>
        <translation>Not yet implemented in FFmpeg, patches welcome</translation>
    </message>
    <message>
        <source>Protocol not found</source>
        <translation>Protocol not found</translation>
    </message>
    <message>
        <source>Stream not found</source>
        <translation>Stream not found</translation>
    </message>
    <message>
        <source>Unknown error occurred</source>
        <translation>Unknown error occurred</translation>
    </message>
    <message>
        <source>Experimental feature</source>
        <translation>Experimental feature</translation>
    </message>
    <message>
        <source>Input changed</source>
        <translation>Input changed</translation>
    </message>
    <message>
        <source>Output changed</source>
        <translation>Output changed</translation>
    </message>
    <message>
        <source>%1(%2)</source>
        <extracomment>The failing step, then the system&apos;s or FFmpeg&apos;s words for why in brackets.</extracomment>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>AddImageButton</name>
    <message>
        <source>clik to add .jpeg .png picture material</source>
        <translation>Click to add JPEG or PNG pictures</translation>
    </message>
    <message>
        <source>Add pictures</source>
        <translation>Add pictures</translation>
    </message>
</context>
<context>
    <name>AlbumFile</name>
    <message>
        <source>&quot;%1&quot;: a whole number from %2 to %3</source>
        <translation>&quot;%1&quot;: a whole number from %2 to %3</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: one of %2</source>
        <translation>&quot;%1&quot;: one of %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a text</source>
        <translation>&quot;%1&quot;: a text</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is missing</source>
        <translation>&quot;%1&quot; is missing</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a file name, not an empty text</source>
        <translation>&quot;%1&quot;: a file name, not an empty text</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a file name without line breaks or NUL characters</source>
        <translation>&quot;%1&quot;: a file name without line breaks or NUL characters</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: null or an object</source>
        <translation>&quot;%1&quot;: null or an object</translation>
    </message>
    <message>
        <source>It is larger than an album file can be (%1 bytes; at most %2)</source>
        <translation>It is larger than an album file can be (%1 bytes; at most %2)</translation>
    </message>
    <message>
        <source>Not valid JSON: %1 at byte %2</source>
        <translation>Not valid JSON: %1 at byte %2</translation>
    </message>
    <message>
        <source>Not an album file: it holds no JSON object</source>
        <translation>Not an album file: it holds no JSON object</translation>
    </message>
    <message>
        <source>Not an album file: &quot;%1&quot; is missing</source>
        <translation>Not an album file: &quot;%1&quot; is missing</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a whole number</source>
        <translation>&quot;%1&quot;: a whole number</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: version %2 is not one this program reads (it reads version %3)</source>
        <translation>&quot;%1&quot;: version %2 is not one this program reads (it reads version %3)</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a list</source>
        <translation>&quot;%1&quot;: a list</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: at most %2 pictures, not %3</source>
        <translation>&quot;%1&quot;: at most %2 pictures, not %3</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: an object</source>
        <translation>&quot;%1&quot;: an object</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;%2&quot; is not a known transition</source>
        <translation>&quot;%1&quot;: &quot;%2&quot; is not a known transition</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: either &quot;text&quot; or &quot;image&quot;, not both</source>
        <translation>&quot;%1&quot;: either &quot;text&quot; or &quot;image&quot;, not both</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: an object with &quot;text&quot; or &quot;image&quot;</source>
        <translation>&quot;%1&quot;: an object with &quot;text&quot; or &quot;image&quot;</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a colour written #rrggbb</source>
        <translation>&quot;%1&quot;: a colour written #rrggbb</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a file name without &quot;/&quot;, line breaks or NUL characters</source>
        <translation>&quot;%1&quot;: a file name without &quot;/&quot;, line breaks or NUL characters</translation>
    </message>
    <message>
        <source>It is a folder, not an album file</source>
        <translation>It is a folder, not an album file</translation>
    </message>
    <message>
        <source>It is not a regular file</source>
        <translation>It is not a regular file</translation>
    </message>
    <message>
        <source>Cannot open it: %1</source>
        <translation>Cannot open it: %1</translation>
    </message>
    <message>
        <source>Cannot read it: %1</source>
        <translation>Cannot read it: %1</translation>
    </message>
    <message>
        <source>The album cannot be saved as it is: %1</source>
        <translation>The album cannot be saved as it is: %1</translation>
    </message>
    <message>
        <source>Cannot create a file in &quot;%1&quot;: %2</source>
        <translation>Cannot create a file in &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>Cannot write the file: %1</source>
        <translation>Cannot write the file: %1</translation>
    </message>
    <message>
        <source>Cannot replace the old file: %1</source>
        <translation>Cannot replace the old file: %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: seconds from %2 to %3</source>
        <translation>&quot;%1&quot;: seconds from %2 to %3</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: true or false</source>
        <translation>&quot;%1&quot;: true or false</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a number from %2 to %3</source>
        <translation>&quot;%1&quot;: a number from %2 to %3</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: [x, y, width, height], fractions of the picture that lie within it</source>
        <translation>&quot;%1&quot;: [x, y, width, height], fractions of the picture that lie within it</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a share of the picture height from %2 to %3</source>
        <translation>&quot;%1&quot;: a share of the picture height from %2 to %3</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: at most %2 characters</source>
        <translation>&quot;%1&quot;: at most %2 characters</translation>
    </message>
    <message>
        <source>Cannot follow the link &quot;%1&quot;: %2</source>
        <translation>Cannot follow the link &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a list of one or more tracks</source>
        <translation>&quot;%1&quot;: a list of one or more tracks</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;out&quot; after &quot;in&quot;</source>
        <translation>&quot;%1&quot;: &quot;out&quot; after &quot;in&quot;</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: decibels from 0 to %2, or &quot;pause&quot;</source>
        <translation>&quot;%1&quot;: decibels from 0 to %2, or &quot;pause&quot;</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;beat&quot;, &quot;2&quot;, &quot;bar&quot;, &quot;2bars&quot;, &quot;auto&quot; or &quot;off&quot;</source>
        <translation>&quot;%1&quot;: &quot;beat&quot;, &quot;2&quot;, &quot;bar&quot;, &quot;2bars&quot;, &quot;auto&quot; or &quot;off&quot;</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;black&quot;, &quot;blur&quot;, &quot;crop&quot; or a colour written #rrggbb</source>
        <translation>&quot;%1&quot;: &quot;black&quot;, &quot;blur&quot;, &quot;crop&quot; or a colour written #rrggbb</translation>
    </message>
</context>
<context>
    <name>AlbumOps</name>
    <message>
        <source>The album has no pictures</source>
        <translation>The album has no pictures</translation>
    </message>
    <message>
        <source>The music is too short for these pictures: %1 s, and they need at least %2 s</source>
        <translation>The music is too short for these pictures: %1 s, and they need at least %2 s</translation>
    </message>
    <message>
        <source>The music is too long for these pictures: %1 s, and they last at most %2 s</source>
        <translation>The music is too long for these pictures: %1 s, and they last at most %2 s</translation>
    </message>
    <message>
        <source>Choose the background music first</source>
        <translation>Choose the background music first</translation>
    </message>
    <message>
        <source>The music cannot be read to the end to measure its length</source>
        <translation>The music cannot be read to the end to measure its length</translation>
    </message>
    <message>
        <source>The music is %1 s long and starts at %2 s: nothing is left to fit the pictures to</source>
        <translation>The music is %1 s long and starts at %2 s: nothing is left to fit the pictures to</translation>
    </message>
</context>
<context>
    <name>BeatAnalysis</name>
    <message>
        <source>The beat analysis was cancelled</source>
        <translation>The beat analysis was cancelled</translation>
    </message>
    <message>
        <source>The music &quot;%1&quot; cannot be read</source>
        <translation>The music &quot;%1&quot; cannot be read</translation>
    </message>
    <message>
        <source>The music &quot;%1&quot; cannot be analysed</source>
        <translation>The music &quot;%1&quot; cannot be analysed</translation>
    </message>
</context>
<context>
    <name>BeatCut</name>
    <message>
        <source>No beat was found in the music.</source>
        <translation>No beat was found in the music.</translation>
    </message>
    <message>
        <source>The music&apos;s length is not known.</source>
        <translation>The music&apos;s length is not known.</translation>
    </message>
    <message>
        <source>The music is too short for these pictures to change on its beat.</source>
        <translation>The music is too short for these pictures to change on its beat.</translation>
    </message>
    <message>
        <source>The music&apos;s beats end before the album does.</source>
        <translation>The music&apos;s beats end before the album does.</translation>
    </message>
</context>
<context>
    <name>BeatKeeper</name>
    <message>
        <source>Cut on the beat</source>
        <translation>Cut on the beat</translation>
    </message>
    <message>
        <source>Correct the beat</source>
        <translation>Correct the beat</translation>
    </message>
    <message>
        <source>Fit to the music</source>
        <translation>Fit to the music</translation>
    </message>
</context>
<context>
    <name>BeatSection</name>
    <message>
        <source>Off</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>On every beat</source>
        <translation>On every beat</translation>
    </message>
    <message>
        <source>On every 2 beats</source>
        <translation>On every 2 beats</translation>
    </message>
    <message>
        <source>On every bar</source>
        <translation>On every bar</translation>
    </message>
    <message>
        <source>On every 2 bars</source>
        <translation>On every 2 bars</translation>
    </message>
    <message>
        <source>Auto (nearest beat to each picture&apos;s time)</source>
        <translation>Auto (nearest beat to each picture&apos;s time)</translation>
    </message>
    <message>
        <source>Cut on the beat</source>
        <translation>Cut on the beat</translation>
    </message>
    <message>
        <source>−10 ms</source>
        <translation>−10 ms</translation>
    </message>
    <message>
        <source>Move the beat grid 10 ms earlier</source>
        <translation>Move the beat grid 10 ms earlier</translation>
    </message>
    <message>
        <source>+10 ms</source>
        <translation>+10 ms</translation>
    </message>
    <message>
        <source>Move the beat grid 10 ms later</source>
        <translation>Move the beat grid 10 ms later</translation>
    </message>
    <message>
        <source>½ tempo</source>
        <translation>½ tempo</translation>
    </message>
    <message>
        <source>Half the tempo: keep every other beat</source>
        <translation>Half the tempo: keep every other beat</translation>
    </message>
    <message>
        <source>2× tempo</source>
        <translation>2× tempo</translation>
    </message>
    <message>
        <source>Double the tempo: a beat between each two</source>
        <translation>Double the tempo: a beat between each two</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Take the beat grid as it was found</source>
        <translation>Take the beat grid as it was found</translation>
    </message>
    <message>
        <source>Every change of picture falls on a beat of the music</source>
        <translation>Every change of picture falls on a beat of the music</translation>
    </message>
    <message>
        <source>Choose background music first</source>
        <translation>Choose background music first</translation>
    </message>
    <message>
        <source>Finding the beat… %1 %</source>
        <translation>Finding the beat… %1 %</translation>
    </message>
    <message>
        <source>Finding the beat…</source>
        <translation>Finding the beat…</translation>
    </message>
    <message>
        <source>No beat</source>
        <translation>No beat</translation>
    </message>
    <message>
        <source>No beat was found in this track</source>
        <translation>No beat was found in this track</translation>
    </message>
    <message numerus="yes">
        <source>%1 BPM, %n bars</source>
        <translation>
            <numerusform>%1 BPM, %n bar</numerusform>
            <numerusform>%1 BPM, %n bars</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 BPM, %n bars, corrected</source>
        <translation>
            <numerusform>%1 BPM, %n bar, corrected</numerusform>
            <numerusform>%1 BPM, %n bars, corrected</numerusform>
        </translation>
    </message>
    <message>
        <source>Fit to the music, ending on its last bar</source>
        <translation>Fit to the music, ending on its last bar</translation>
    </message>
    <message>
        <source>Every picture&apos;s time is scaled so that the album ends with the music</source>
        <translation>Every picture&apos;s time is scaled so that the album ends with the music</translation>
    </message>
</context>
<context>
    <name>BeatWaveform</name>
    <message>
        <source>Music waveform with beat marks</source>
        <translation>Music waveform with beat marks</translation>
    </message>
    <message>
        <source>Beat</source>
        <translation>Beat</translation>
    </message>
    <message>
        <source>Bar</source>
        <translation>Bar</translation>
    </message>
    <message>
        <source>Picture change</source>
        <translation>Picture change</translation>
    </message>
    <message>
        <source>Picture change at %1</source>
        <translation>Picture change at %1</translation>
    </message>
    <message>
        <source>Bar start at %1: drag it onto another beat to move the bars</source>
        <translation>Bar start at %1: drag it onto another beat to move the bars</translation>
    </message>
    <message>
        <source>Beat at %1</source>
        <translation>Beat at %1</translation>
    </message>
    <message>
        <source>Wheel: scroll; Ctrl+wheel: zoom; Shift+drag: move the beat grid</source>
        <translation>Wheel: scroll; Ctrl+wheel: zoom; Shift+drag: move the beat grid</translation>
    </message>
</context>
<context>
    <name>CCatchHelperDll</name>
    <message>
        <source>提示</source>
        <translation>VelmoraAlbum</translation>
    </message>
    <message>
        <source>无法加载DLL,catchhelper.dll</source>
        <translation>Could not load the crash catcher, libcatchhelper.so</translation>
    </message>
    <message>
        <source>无法获取导出函数,getBLLDumpCatchMgrExportInterface</source>
        <translation>The crash catcher lacks its entry point, getBLLDumpCatchMgrExportInterface</translation>
    </message>
    <message>
        <source>函数返回空,getBLLDumpCatchMgrExportInterface</source>
        <translation>The crash catcher returned no interface from getBLLDumpCatchMgrExportInterface</translation>
    </message>
</context>
<context>
    <name>CFramelessWindow</name>
    <message>
        <source>VelmoraAlbum</source>
        <translation>VelmoraAlbum</translation>
    </message>
    <message>
        <source>版本：v%1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>tipRestore</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>tipMaximize</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Maximize</translation>
    </message>
</context>
<context>
    <name>CFramelessWindowClass</name>
    <message>
        <source>appMenu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>tipMinimize</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>tipMaximize</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>tipClose</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Website</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Support</translation>
    </message>
</context>
<context>
    <name>CQDlgTipSimple</name>
    <message>
        <source>检查更新</source>
        <translation>Check for Updates</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Comfirm</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>checkUpdate</source>
        <translation>Check for Updates</translation>
    </message>
</context>
<context>
    <name>CQQuitDialogClass</name>
    <message>
        <source>Tips</source>
        <translation>VelmoraAlbum</translation>
    </message>
    <message>
        <source>label2</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Comfirm</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CQVideoPlayClass</name>
    <message>
        <source>CQVideoPlay</source>
        <translation>Player</translation>
    </message>
    <message>
        <source>Play or pause</source>
        <translation>Play or pause</translation>
    </message>
    <message>
        <source>Playback position</source>
        <translation>Playback position</translation>
    </message>
</context>
<context>
    <name>CQVideoShowClass</name>
    <message>
        <source>CQVideoShow</source>
        <translation>Video</translation>
    </message>
</context>
<context>
    <name>ClipControls</name>
    <message>
        <source>Part of the clip played</source>
        <translation>Part of the clip played</translation>
    </message>
    <message>
        <source>Drag the handles to trim the clip, or press I and O to start and end it at the position shown</source>
        <translation>Drag the handles to trim the clip, or press I and O to start and end it at the position shown</translation>
    </message>
    <message>
        <source>Start, end and position in the clip</source>
        <translation>Start, end and position in the clip</translation>
    </message>
    <message>
        <source>Length of the clip in the video</source>
        <translation>Length of the clip in the video</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Mute</translation>
    </message>
    <message>
        <source>Mute the clip&apos;s sound</source>
        <translation>Mute the clip&apos;s sound</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Volume of the clip&apos;s sound</source>
        <translation>Volume of the clip&apos;s sound</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Speed of the clip</source>
        <translation>Speed of the clip</translation>
    </message>
    <message>
        <source>This clip has no sound</source>
        <translation>This clip has no sound</translation>
    </message>
    <message>
        <source>In %1 · Out %2 · At %3</source>
        <translation>In %1 · Out %2 · At %3</translation>
    </message>
    <message>
        <source>Length in the video: %1</source>
        <translation>Length in the video: %1</translation>
    </message>
</context>
<context>
    <name>ClipSource</name>
    <message>
        <source>damaged clip</source>
        <translation>damaged clip</translation>
    </message>
    <message>
        <source>no picture in this file</source>
        <translation>no picture in this file</translation>
    </message>
    <message>
        <source>%1 x %2 pixels; clips are taken up to %3 a side</source>
        <translation>%1 x %2 pixels; clips are taken up to %3 a side</translation>
    </message>
    <message>
        <source>longer than 3 hours</source>
        <translation>longer than 3 hours</translation>
    </message>
</context>
<context>
    <name>ExportSettingDialog</name>
    <message>
        <source>VMAlbum</source>
        <translation>VMAlbum</translation>
    </message>
    <message>
        <source>Invalid file name!</source>
        <translation>Invalid file name</translation>
    </message>
    <message>
        <source>Please enter a file name</source>
        <translation>Please enter a file name</translation>
    </message>
    <message>
        <source>The clips&apos; sound is left out of GIF files.</source>
        <translation>The clips&apos; sound is left out of GIF files.</translation>
    </message>
    <message>
        <source>The clips&apos; sound is left out of M4V files.</source>
        <translation>The clips&apos; sound is left out of M4V files.</translation>
    </message>
</context>
<context>
    <name>ExportSettingDialogClass</name>
    <message>
        <source>ExportSettingDialog</source>
        <translation>Export Settings</translation>
    </message>
    <message>
        <source>export setting</source>
        <translation>Export Settings</translation>
    </message>
    <message>
        <source>export format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>frame rate</source>
        <translation>Frame rate</translation>
    </message>
    <message>
        <source>bit rate</source>
        <translation>Bit rate</translation>
    </message>
    <message>
        <source>audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>sample rate</source>
        <translation>Sample rate</translation>
    </message>
    <message>
        <source>file name</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>Please enter a file name</source>
        <translation>Please enter a file name</translation>
    </message>
    <message>
        <source>export to</source>
        <translation>Save in</translation>
    </message>
    <message>
        <source>export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>MP4</source>
        <translation>MP4</translation>
    </message>
    <message>
        <source>AVI</source>
        <translation>AVI</translation>
    </message>
    <message>
        <source>WMV</source>
        <translation>WMV</translation>
    </message>
    <message>
        <source>FLV</source>
        <translation>FLV</translation>
    </message>
    <message>
        <source>MKV</source>
        <translation>MKV</translation>
    </message>
    <message>
        <source>MOV</source>
        <translation>MOV</translation>
    </message>
    <message>
        <source>GIF</source>
        <translation>GIF</translation>
    </message>
    <message>
        <source>WEBM</source>
        <translation>WEBM</translation>
    </message>
    <message>
        <source>M4V</source>
        <translation>M4V</translation>
    </message>
    <message>
        <source>24fps</source>
        <translation>24 fps</translation>
    </message>
    <message>
        <source>25fps</source>
        <translation>25 fps</translation>
    </message>
    <message>
        <source>30fps</source>
        <translation>30 fps</translation>
    </message>
    <message>
        <source>60fps</source>
        <translation>60 fps</translation>
    </message>
    <message>
        <source>120fps</source>
        <translation>120 fps</translation>
    </message>
    <message>
        <source>self-adaption</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>256kbps</source>
        <translation>256 kbps</translation>
    </message>
    <message>
        <source>384kbps</source>
        <translation>384 kbps</translation>
    </message>
    <message>
        <source>512kbps</source>
        <translation>512 kbps</translation>
    </message>
    <message>
        <source>768kbps</source>
        <translation>768 kbps</translation>
    </message>
    <message>
        <source>64kbps</source>
        <translation>64 kbps</translation>
    </message>
    <message>
        <source>96kbps</source>
        <translation>96 kbps</translation>
    </message>
    <message>
        <source>128kbps</source>
        <translation>128 kbps</translation>
    </message>
    <message>
        <source>8000Hz</source>
        <translation>8000 Hz</translation>
    </message>
    <message>
        <source>11025Hz</source>
        <translation>11025 Hz</translation>
    </message>
    <message>
        <source>22050Hz</source>
        <translation>22050 Hz</translation>
    </message>
    <message>
        <source>44100Hz</source>
        <translation>44100 Hz</translation>
    </message>
    <message>
        <source>48000Hz</source>
        <translation>48000 Hz</translation>
    </message>
    <message>
        <source>close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>video frame rate</source>
        <translation>Video frame rate</translation>
    </message>
    <message>
        <source>video bit rate</source>
        <translation>Video bit rate</translation>
    </message>
    <message>
        <source>audio bit rate</source>
        <translation>Audio bit rate</translation>
    </message>
    <message>
        <source>audio sample rate</source>
        <translation>Audio sample rate</translation>
    </message>
    <message>
        <source>edit file name</source>
        <translation>Edit file name</translation>
    </message>
    <message>
        <source>export folder</source>
        <translation>Export folder</translation>
    </message>
    <message>
        <source>choose export folder</source>
        <translation>Choose export folder</translation>
    </message>
    <message>
        <source>GIF plays at 50 fps at most: exported at 50 fps</source>
        <translation>GIF plays at 50 fps at most: exported at 50 fps</translation>
    </message>
</context>
<context>
    <name>FailDialogClass</name>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>FailDialog</source>
        <translation>Export Failed</translation>
    </message>
    <message>
        <source>Export failed...</source>
        <translation>Export failed</translation>
    </message>
    <message>
        <source>Files that could not be used</source>
        <translation>Files that could not be used</translation>
    </message>
</context>
<context>
    <name>FontDialog</name>
    <message>
        <source>Select Font</source>
        <translation>Select Font</translation>
    </message>
    <message>
        <source>&amp;Font</source>
        <translation>&amp;Font</translation>
    </message>
    <message>
        <source>Font st&amp;yle</source>
        <translation>Font st&amp;yle</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>&amp;Size</translation>
    </message>
    <message>
        <source>Effects</source>
        <translation>Effects</translation>
    </message>
    <message>
        <source>Stri&amp;keout</source>
        <translation>Stri&amp;keout</translation>
    </message>
    <message>
        <source>&amp;Underline</source>
        <translation>&amp;Underline</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>Sample</source>
        <translation>Sample</translation>
    </message>
    <message>
        <source>Wr&amp;iting System</source>
        <translation>Wr&amp;iting System</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>AaBbYyZz</source>
        <translation>AaBbYyZz</translation>
    </message>
    <message>
        <source>Font family</source>
        <translation>Font family</translation>
    </message>
    <message>
        <source>Chosen font family</source>
        <translation>Chosen font family</translation>
    </message>
    <message>
        <source>Font style</source>
        <translation>Font style</translation>
    </message>
    <message>
        <source>Chosen font style</source>
        <translation>Chosen font style</translation>
    </message>
    <message>
        <source>Font size</source>
        <translation>Font size</translation>
    </message>
    <message>
        <source>Font sizes</source>
        <translation>Font sizes</translation>
    </message>
    <message>
        <source>Strikeout</source>
        <translation>Strikeout</translation>
    </message>
    <message>
        <source>Underline</source>
        <translation>Underline</translation>
    </message>
    <message>
        <source>Text color</source>
        <translation>Text color</translation>
    </message>
    <message>
        <source>Writing system</source>
        <translation>Writing system</translation>
    </message>
    <message>
        <source>&amp;Pick Screen Color</source>
        <translation>&amp;Pick Screen Color</translation>
    </message>
</context>
<context>
    <name>ImageDecoder</name>
    <message>
        <source>Image is too large</source>
        <translation>Image is too large</translation>
    </message>
    <message>
        <source>Image ratio is abnormal</source>
        <translation>Image ratio is abnormal</translation>
    </message>
    <message>
        <source>Image decode failed</source>
        <translation>Image decode failed</translation>
    </message>
    <message>
        <source>Image format conversion failed</source>
        <translation>The picture could not be converted</translation>
    </message>
    <message>
        <source>Image zoom failed</source>
        <translation>The picture could not be scaled</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>file not found</translation>
    </message>
    <message>
        <source>cannot be read: permission denied</source>
        <translation>cannot be read: permission denied</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>not enough memory</source>
        <translation>not enough memory</translation>
    </message>
    <message>
        <source>a folder, not a picture file</source>
        <translation>a folder, not a picture file</translation>
    </message>
    <message>
        <source>empty file</source>
        <translation>empty file</translation>
    </message>
    <message>
        <source>damaged picture</source>
        <translation>damaged picture</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels</source>
        <translation>larger than %1 × %2 pixels</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%2 — %1</translation>
    </message>
    <message>
        <source>larger than %1 MiB</source>
        <translation>larger than %1 MiB</translation>
    </message>
    <message>
        <source>far too wide or too tall to show</source>
        <translation>far too wide or too tall to show</translation>
    </message>
    <message>
        <source>its thumbnail cannot be made</source>
        <translation>its thumbnail cannot be made</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels, the largest JPEG</source>
        <translation>larger than %1 × %2 pixels, the largest JPEG</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels, the largest PNG</source>
        <translation>larger than %1 × %2 pixels, the largest PNG</translation>
    </message>
    <message>
        <source>needs %1 MiB of memory at 16 bits a channel, more than the %2 MiB a picture may use; saved with 8 bits a channel it would fit</source>
        <translation>needs %1 MiB of memory at 16 bits a channel, more than the %2 MiB a picture may use; saved with 8 bits a channel it would fit</translation>
    </message>
    <message>
        <source>needs %1 MiB of memory, more than the %2 MiB a picture may use (a progressive JPEG is decoded at its full size)</source>
        <translation>needs %1 MiB of memory, more than the %2 MiB a picture may use (a progressive JPEG is decoded at its full size)</translation>
    </message>
    <message>
        <source>needs %1 MiB of memory, more than the %2 MiB a picture may use</source>
        <translation>needs %1 MiB of memory, more than the %2 MiB a picture may use</translation>
    </message>
    <message>
        <source>its name has a line break, which an album cannot keep; rename the file</source>
        <translation>its name has a line break, which an album cannot keep; rename the file</translation>
    </message>
    <message>
        <source>a video clip, not a picture</source>
        <translation>a video clip, not a picture</translation>
    </message>
    <message>
        <source>not a JPEG, PNG, HEIC, AVIF or WebP picture</source>
        <translation>not a JPEG, PNG, HEIC, AVIF or WebP picture</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels, the largest HEIC</source>
        <translation>larger than %1 × %2 pixels, the largest HEIC</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels, the largest AVIF</source>
        <translation>larger than %1 × %2 pixels, the largest AVIF</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels, the largest WebP</source>
        <translation>larger than %1 × %2 pixels, the largest WebP</translation>
    </message>
    <message>
        <source>an animated picture: only its first frame is shown</source>
        <translation>an animated picture: only its first frame is shown</translation>
    </message>
    <message>
        <source>Clip decode failed</source>
        <translation>Clip decode failed</translation>
    </message>
</context>
<context>
    <name>ImageListView</name>
    <message>
        <source>Picture list</source>
        <translation>Picture list</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Delete Picture</translation>
    </message>
    <message>
        <source>Do you want to delete this material?</source>
        <translation>Do you want to remove this picture from the album?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Picture settings…</source>
        <translation>Picture settings…</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Locate…</source>
        <translation>Locate…</translation>
    </message>
</context>
<context>
    <name>MediaEncoder</name>
    <message>
        <source>Operation interrupted</source>
        <translation>Operation interrupted</translation>
    </message>
    <message>
        <source>Encode audio frame failed</source>
        <translation>Could not encode the sound</translation>
    </message>
    <message>
        <source>Write audio packet failed</source>
        <translation>Could not write the sound</translation>
    </message>
    <message>
        <source>Open mp3 file failed</source>
        <translation>Could not open the MP3 file</translation>
    </message>
    <message>
        <source>Can not find audio stream on mp3 file</source>
        <translation>The MP3 file contains no sound</translation>
    </message>
    <message>
        <source>Create audio decoder failed</source>
        <translation>Could not decode the music</translation>
    </message>
    <message>
        <source>Create output audio stream failed</source>
        <translation>Could not create the audio stream</translation>
    </message>
    <message>
        <source>Create audio filter failed</source>
        <translation>Could not set up the music</translation>
    </message>
    <message>
        <source>Read audio packet failed</source>
        <translation>Could not read the music</translation>
    </message>
    <message>
        <source>Image decode failed</source>
        <translation>The picture could not be decoded</translation>
    </message>
    <message>
        <source>Image zoom failed</source>
        <translation>The picture could not be scaled</translation>
    </message>
    <message>
        <source>Image format conversion failed</source>
        <translation>The picture could not be converted</translation>
    </message>
    <message>
        <source>Encode video frame failed</source>
        <translation>Could not encode the video</translation>
    </message>
    <message>
        <source>Write video packet failed</source>
        <translation>Could not write the video</translation>
    </message>
    <message>
        <source>Create output file failed</source>
        <translation>Could not create the video file</translation>
    </message>
    <message>
        <source>Create output video stream failed</source>
        <translation>Could not create the video stream</translation>
    </message>
    <message>
        <source>Create watermark filter failed</source>
        <translation>Could not set up the watermark</translation>
    </message>
    <message>
        <source>Write file header failed</source>
        <translation>Could not write the start of the video file</translation>
    </message>
    <message>
        <source>Add watermark failed</source>
        <translation>Could not add the watermark</translation>
    </message>
    <message>
        <source>Create transition filter failed</source>
        <translation>Could not set up the transition</translation>
    </message>
    <message>
        <source>Add frame to transition filter failed</source>
        <translation>Could not render the transition</translation>
    </message>
    <message>
        <source>Get frame from transition filter failed</source>
        <translation>Could not render the transition</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>No pictures to export</source>
        <translation>No pictures to export</translation>
    </message>
    <message>
        <source>The music ends before its start offset</source>
        <translation>The music ends before its start offset</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Out of memory</translation>
    </message>
    <message>
        <source>Open music file failed</source>
        <translation>Could not open the music file</translation>
    </message>
    <message>
        <source>Can not find audio stream on music file</source>
        <translation>The music file contains no sound</translation>
    </message>
    <message>
        <source>Clip decode failed</source>
        <translation>Clip decode failed</translation>
    </message>
    <message>
        <source>Read the sound of a clip failed</source>
        <translation>Read the sound of a clip failed</translation>
    </message>
</context>
<context>
    <name>MusicPanel</name>
    <message>
        <source>Start in the music</source>
        <translation>Start in the music</translation>
    </message>
    <message>
        <source>Fade in</source>
        <translation>Fade in</translation>
    </message>
    <message>
        <source>Fade out</source>
        <translation>Fade out</translation>
    </message>
    <message>
        <source>Music volume</source>
        <translation>Music volume</translation>
    </message>
    <message>
        <source>Fit pictures to music</source>
        <translation>Fit pictures to music</translation>
    </message>
    <message>
        <source>Sets every picture&apos;s duration, keeping their proportions, so that the album lasts as long as the music after its start</source>
        <translation>Sets every picture&apos;s duration, keeping their proportions, so that the album lasts as long as the music after its start</translation>
    </message>
    <message>
        <source>Music tracks</source>
        <translation>Music tracks</translation>
    </message>
    <message>
        <source>Add track</source>
        <translation>Add track</translation>
    </message>
    <message>
        <source>Remove track</source>
        <translation>Remove track</translation>
    </message>
    <message>
        <source>Move up</source>
        <translation>Move up</translation>
    </message>
    <message>
        <source>Move down</source>
        <translation>Move down</translation>
    </message>
    <message>
        <source>Crossfade between tracks</source>
        <translation>Crossfade between tracks</translation>
    </message>
    <message>
        <source>Clips</source>
        <translation>Clips</translation>
    </message>
    <message>
        <source>Lower the music under clips by</source>
        <translation>Lower the music under clips by</translation>
    </message>
    <message>
        <source>Pause the music during clips</source>
        <translation>Pause the music during clips</translation>
    </message>
    <message>
        <source>No clip of the album brings sound: add a video clip with sound, or turn its sound on</source>
        <translation>No clip of the album brings sound: add a video clip with sound, or turn its sound on</translation>
    </message>
</context>
<context>
    <name>PicturePanel</name>
    <message>
        <source>The picture</source>
        <translation>The picture</translation>
    </message>
    <message>
        <source>Own duration</source>
        <translation>Own duration</translation>
    </message>
    <message>
        <source>Duration of this picture</source>
        <translation>Duration of this picture</translation>
    </message>
    <message>
        <source>Apply to all</source>
        <translation>Apply to all</translation>
    </message>
    <message>
        <source>Apply the duration to all pictures</source>
        <translation>Apply the duration to all pictures</translation>
    </message>
    <message>
        <source>Transition after it</source>
        <translation>Transition after it</translation>
    </message>
    <message>
        <source>Transition after this picture</source>
        <translation>Transition after this picture</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>None (a cut)</source>
        <translation>None (a cut)</translation>
    </message>
    <message>
        <source>Apply the transition to all pictures</source>
        <translation>Apply the transition to all pictures</translation>
    </message>
    <message>
        <source>Own length</source>
        <translation>Own length</translation>
    </message>
    <message>
        <source>Length of the transition</source>
        <translation>Length of the transition</translation>
    </message>
    <message>
        <source>Motion</source>
        <translation>Motion</translation>
    </message>
    <message>
        <source>Motion over this picture</source>
        <translation>Motion over this picture</translation>
    </message>
    <message>
        <source>As the album</source>
        <translation>As the album</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>Pan left</source>
        <translation>Pan left</translation>
    </message>
    <message>
        <source>Pan right</source>
        <translation>Pan right</translation>
    </message>
    <message>
        <source>Pan up</source>
        <translation>Pan up</translation>
    </message>
    <message>
        <source>Pan down</source>
        <translation>Pan down</translation>
    </message>
    <message>
        <source>Custom (drag the rectangles)</source>
        <translation>Custom (drag the rectangles)</translation>
    </message>
    <message>
        <source>Apply the motion to all pictures</source>
        <translation>Apply the motion to all pictures</translation>
    </message>
    <message>
        <source>Caption</source>
        <translation>Caption</translation>
    </message>
    <message>
        <source>Caption of this picture</source>
        <translation>Caption of this picture</translation>
    </message>
    <message>
        <source>Text shown with the picture</source>
        <translation>Text shown with the picture</translation>
    </message>
    <message>
        <source>Apply the caption&apos;s style to all pictures</source>
        <translation>Apply the caption&apos;s style to all pictures</translation>
    </message>
    <message>
        <source>Font of the caption</source>
        <translation>Font of the caption</translation>
    </message>
    <message>
        <source>Size of the caption, in hundredths of the height</source>
        <translation>Size of the caption, in hundredths of the height</translation>
    </message>
    <message>
        <source>Colour of the caption</source>
        <translation>Colour of the caption</translation>
    </message>
    <message>
        <source>Position of the caption</source>
        <translation>Position of the caption</translation>
    </message>
    <message>
        <source>Top left</source>
        <translation>Top left</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>Top right</source>
        <translation>Top right</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>Centre</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>Bottom left</source>
        <translation>Bottom left</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Bottom</translation>
    </message>
    <message>
        <source>Bottom right</source>
        <translation>Bottom right</translation>
    </message>
    <message>
        <source>Edge of the caption</source>
        <translation>Edge of the caption</translation>
    </message>
    <message>
        <source>Plain</source>
        <translation>Plain</translation>
    </message>
    <message>
        <source>Outline</source>
        <translation>Outline</translation>
    </message>
    <message>
        <source>Shadow</source>
        <translation>Shadow</translation>
    </message>
    <message>
        <source>Fill around it</source>
        <translation>Fill around it</translation>
    </message>
    <message>
        <source>Fill around this picture</source>
        <translation>Fill around this picture</translation>
    </message>
    <message>
        <source>Black bars</source>
        <translation>Black bars</translation>
    </message>
    <message>
        <source>Blurred picture</source>
        <translation>Blurred picture</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>Colour around this picture</source>
        <translation>Colour around this picture</translation>
    </message>
    <message>
        <source>Apply the fill to all pictures</source>
        <translation>Apply the fill to all pictures</translation>
    </message>
    <message>
        <source>Date taken and camera</source>
        <translation>Date taken and camera</translation>
    </message>
    <message>
        <source>{date} shows the date the picture was taken, {file} the name of its file</source>
        <translation>{date} shows the date the picture was taken, {file} the name of its file</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Taken %1</source>
        <translation>Taken %1</translation>
    </message>
    <message>
        <source>File changed %1 (no date taken)</source>
        <translation>File changed %1 (no date taken)</translation>
    </message>
    <message>
        <source>Camera: %1</source>
        <translation>Camera: %1</translation>
    </message>
    <message>
        <source>The clip at the position shown</source>
        <translation>The clip at the position shown</translation>
    </message>
    <message>
        <source>Crop</source>
        <translation>Crop</translation>
    </message>
</context>
<context>
    <name>ProgressDialogClass</name>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Material import... </source>
        <translation>Importing pictures…</translation>
    </message>
</context>
<context>
    <name>SuccessDialogClass</name>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>SuccessDialog</source>
        <translation>Export Succeeded</translation>
    </message>
    <message>
        <source>Export succeeded</source>
        <translation>Export succeeded</translation>
    </message>
    <message>
        <source>Open the export folder</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>Copy the path</source>
        <translation>Copy the path</translation>
    </message>
    <message>
        <source>The video file</source>
        <translation>The video file</translation>
    </message>
    <message>
        <source>Copied</source>
        <translation>Copied</translation>
    </message>
    <message>
        <source>No file manager opened the folder. You can copy the path.</source>
        <translation>No file manager opened the folder. You can copy the path.</translation>
    </message>
</context>
<context>
    <name>Transition</name>
    <message>
        <source>Fade through black</source>
        <translation>Fade through black</translation>
    </message>
    <message>
        <source>Fade through white</source>
        <translation>Fade through white</translation>
    </message>
    <message>
        <source>Rectangle crop</source>
        <translation>Rectangle crop</translation>
    </message>
    <message>
        <source>Radial wipe</source>
        <translation>Radial wipe</translation>
    </message>
    <message>
        <source>Horizontal blur</source>
        <translation>Horizontal blur</translation>
    </message>
    <message>
        <source>Pixelate</source>
        <translation>Pixelate</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>Slide down</source>
        <translation>Slide down</translation>
    </message>
    <message>
        <source>Slide left</source>
        <translation>Slide left</translation>
    </message>
    <message>
        <source>Slide right</source>
        <translation>Slide right</translation>
    </message>
    <message>
        <source>Wipe up</source>
        <translation>Wipe up</translation>
    </message>
    <message>
        <source>Wipe down</source>
        <translation>Wipe down</translation>
    </message>
    <message>
        <source>Wipe left</source>
        <translation>Wipe left</translation>
    </message>
    <message>
        <source>Wipe right</source>
        <translation>Wipe right</translation>
    </message>
    <message>
        <source>Smooth wipe up</source>
        <translation>Smooth wipe up</translation>
    </message>
    <message>
        <source>Smooth wipe down</source>
        <translation>Smooth wipe down</translation>
    </message>
    <message>
        <source>Smooth wipe left</source>
        <translation>Smooth wipe left</translation>
    </message>
    <message>
        <source>Smooth wipe right</source>
        <translation>Smooth wipe right</translation>
    </message>
    <message>
        <source>Closing circle</source>
        <translation>Closing circle</translation>
    </message>
    <message>
        <source>Opening circle</source>
        <translation>Opening circle</translation>
    </message>
    <message>
        <source>Vertical close</source>
        <translation>Vertical close</translation>
    </message>
    <message>
        <source>Vertical open</source>
        <translation>Vertical open</translation>
    </message>
    <message>
        <source>Horizontal close</source>
        <translation>Horizontal close</translation>
    </message>
</context>
<context>
    <name>ZodoZadar</name>
    <message>
        <source>Add pictures first, then drop the music on the background music area</source>
        <translation>Add pictures first, then drop the music on the background music area</translation>
    </message>
    <message>
        <source>Only one MP3 file is used as background music; the other files were left out</source>
        <translation>Only one MP3 file is used as background music; the other files were left out</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>VelmoraAlbum</translation>
    </message>
    <message>
        <source>The file already exists. Do you want to overwrite it?</source>
        <translation>The file already exists. Do you want to overwrite it?</translation>
    </message>
    <message>
        <source>Cover</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>Uncover</source>
        <translation>Keep Both</translation>
    </message>
    <message>
        <source>exporting... </source>
        <translation>Exporting…</translation>
    </message>
    <message>
        <source>Export failed...</source>
        <translation>Export failed</translation>
    </message>
    <message>
        <source>Editing electronic photo album, do you want to exit the software?</source>
        <translation>You are editing a photo album. Do you want to quit?</translation>
    </message>
    <message>
        <source>Exit will not save the file</source>
        <translation>The album will not be saved.</translation>
    </message>
    <message>
        <source>ok</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>VMAlbum</source>
        <translation>VMAlbum</translation>
    </message>
    <message>
        <source>JPEG And PNG Files(*.jpg *.jpeg *.png);;JPEG Files(*.jpg *.jpeg);;PNG Files(*.png)</source>
        <translation>JPEG and PNG pictures (*.jpg *.jpeg *.png);;JPEG pictures (*.jpg *.jpeg);;PNG pictures (*.png)</translation>
    </message>
    <message>
        <source>importing material... </source>
        <translation>Importing pictures…</translation>
    </message>
    <message>
        <source>Import failed...</source>
        <translation>Import failed</translation>
    </message>
    <message>
        <source>Partial import failed...</source>
        <translation>Some pictures could not be imported</translation>
    </message>
    <message>
        <source>After switching the watermark type, the original watermark will be replaced.</source>
        <translation>Switching the watermark type replaces the current watermark.</translation>
    </message>
    <message>
        <source>Whether to continue?</source>
        <translation>Do you want to continue?</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Please select image watermark</source>
        <translation>Choose a picture for the watermark</translation>
    </message>
    <message>
        <source>Failed to add watermark, because of the abnormal picture</source>
        <translation>The watermark picture cannot be used</translation>
    </message>
    <message>
        <source>Please select background music file</source>
        <translation>Choose a music file</translation>
    </message>
    <message>
        <source>MP3 File(*.mp3)</source>
        <translation>MP3 audio (*.mp3)</translation>
    </message>
    <message>
        <source>To ensure the clarity of the watermark, the recommended upload size of the image is 1274 x 418</source>
        <translation>For a sharp watermark, use a picture of 1274 × 418 pixels</translation>
    </message>
    <message>
        <source>Add pictures before exporting</source>
        <translation>Add pictures before exporting</translation>
    </message>
    <message>
        <source>Export cancelled</source>
        <translation>Export cancelled</translation>
    </message>
    <message>
        <source>Failed to add background music, because the file has no MP3 sound</source>
        <translation>The music file cannot be used: it has no MP3 sound</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Delete picture</source>
        <translation>Delete picture</translation>
    </message>
    <message>
        <source>Move picture</source>
        <translation>Move picture</translation>
    </message>
    <message>
        <source>Change duration</source>
        <translation>Change duration</translation>
    </message>
    <message>
        <source>Change ratio</source>
        <translation>Change ratio</translation>
    </message>
    <message>
        <source>Change height</source>
        <translation>Change height</translation>
    </message>
    <message>
        <source>An album file opens alone; the other files were left out</source>
        <translation>An album file opens alone; the other files were left out</translation>
    </message>
    <message>
        <source>VelmoraAlbum albums (*.vmalbum)</source>
        <translation>VelmoraAlbum albums (*.vmalbum)</translation>
    </message>
    <message>
        <source>New album</source>
        <translation>New album</translation>
    </message>
    <message>
        <source>Open album</source>
        <translation>Open album</translation>
    </message>
    <message>
        <source>The album could not be opened</source>
        <translation>The album could not be opened</translation>
    </message>
    <message>
        <source>Restore album</source>
        <translation>Restore album</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Save album</source>
        <translation>Save album</translation>
    </message>
    <message>
        <source>The album could not be saved</source>
        <translation>The album could not be saved</translation>
    </message>
    <message>
        <source>VelmoraAlbum</source>
        <translation>VelmoraAlbum</translation>
    </message>
    <message>
        <source>Restore the album you were working on?</source>
        <translation>Restore the album you were working on?</translation>
    </message>
    <message numerus="yes">
        <source>Last changed %1, %n picture(s)</source>
        <translation>
            <numerusform>Last changed %1, %n picture</numerusform>
            <numerusform>Last changed %1, %n pictures</numerusform>
        </translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>Import pictures</source>
        <translation>Import pictures</translation>
    </message>
    <message>
        <source>Open album…</source>
        <translation>Open album…</translation>
    </message>
    <message>
        <source>Open recent</source>
        <translation>Open recent</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Save as…</source>
        <translation>Save as…</translation>
    </message>
    <message>
        <source>Add pictures…</source>
        <translation>Add pictures…</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Keyboard shortcuts</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Play or pause</source>
        <translation>Play or pause</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>Undo %1</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>Redo %1</translation>
    </message>
    <message>
        <source>No recent albums</source>
        <translation>No recent albums</translation>
    </message>
    <message>
        <source>Clear the list</source>
        <translation>Clear the list</translation>
    </message>
    <message>
        <source>About VelmoraAlbum</source>
        <translation>About VelmoraAlbum</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Change watermark</source>
        <translation>Change watermark</translation>
    </message>
    <message>
        <source>Move watermark</source>
        <translation>Move watermark</translation>
    </message>
    <message>
        <source>Change watermark text</source>
        <translation>Change watermark text</translation>
    </message>
    <message>
        <source>Change watermark font</source>
        <translation>Change watermark font</translation>
    </message>
    <message>
        <source>Change watermark picture</source>
        <translation>Change watermark picture</translation>
    </message>
    <message>
        <source>Change music</source>
        <translation>Change music</translation>
    </message>
    <message>
        <source>Change picture settings</source>
        <translation>Change picture settings</translation>
    </message>
    <message>
        <source>Music settings…</source>
        <translation>Music settings…</translation>
    </message>
    <message>
        <source>Change music settings</source>
        <translation>Change music settings</translation>
    </message>
    <message>
        <source>Choose pictures and background music first</source>
        <translation>Choose pictures and background music first</translation>
    </message>
    <message>
        <source>Fit pictures to music</source>
        <translation>Fit pictures to music</translation>
    </message>
    <message>
        <source>Look of the album</source>
        <translation>Look of the album</translation>
    </message>
    <message>
        <source>Gentle motion on every picture</source>
        <translation>Gentle motion on every picture</translation>
    </message>
    <message>
        <source>Around pictures of another shape</source>
        <translation>Around pictures of another shape</translation>
    </message>
    <message>
        <source>Colour around pictures</source>
        <translation>Colour around pictures</translation>
    </message>
    <message>
        <source>Black bars</source>
        <translation>Black bars</translation>
    </message>
    <message>
        <source>Blurred picture</source>
        <translation>Blurred picture</translation>
    </message>
    <message>
        <source>Colour…</source>
        <translation>Colour…</translation>
    </message>
    <message>
        <source>Edge of the text watermark</source>
        <translation>Edge of the text watermark</translation>
    </message>
    <message>
        <source>No edge</source>
        <translation>No edge</translation>
    </message>
    <message>
        <source>Outline</source>
        <translation>Outline</translation>
    </message>
    <message>
        <source>Shadow</source>
        <translation>Shadow</translation>
    </message>
    <message>
        <source>Change the album&apos;s look</source>
        <translation>Change the album&apos;s look</translation>
    </message>
    <message>
        <source>VelmoraAlbum is free software: you can redistribute it and/or modify it under the terms of the GNU General Public License, version 3 or (at your option) any later version. It comes with ABSOLUTELY NO WARRANTY.</source>
        <translation>VelmoraAlbum is free software: you can redistribute it and/or modify it under the terms of the GNU General Public License, version 3 or (at your option) any later version. It comes with ABSOLUTELY NO WARRANTY.</translation>
    </message>
    <message>
        <source>Licence: %1</source>
        <translation>Licence: %1</translation>
    </message>
    <message>
        <source>Licence text</source>
        <translation>Licence text</translation>
    </message>
    <message>
        <source>Save…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>Save changes to “%1” before closing?</source>
        <translation>Save changes to “%1” before closing?</translation>
    </message>
    <message>
        <source>If you don&apos;t save, the changes since the last save are lost.</source>
        <translation>If you don&apos;t save, the changes since the last save are lost.</translation>
    </message>
    <message>
        <source>Don&apos;t save</source>
        <translation>Don&apos;t save</translation>
    </message>
    <message>
        <source>Untitled album</source>
        <translation>Untitled album</translation>
    </message>
    <message>
        <source>The album could not be saved for restoring: %1</source>
        <translation>The album could not be saved for restoring: %1</translation>
    </message>
    <message>
        <source>Missing</source>
        <translation>Missing</translation>
    </message>
    <message>
        <source>Cannot be used</source>
        <translation>Cannot be used</translation>
    </message>
    <message>
        <source>Locate %1</source>
        <translation>Locate %1</translation>
    </message>
    <message>
        <source>Locate picture</source>
        <translation>Locate picture</translation>
    </message>
    <message>
        <source>The picture could not be used</source>
        <translation>The picture could not be used</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>and %n more</numerusform>
            <numerusform>and %n more</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n picture(s) of this album cannot be shown and will be left out of the video: %1</source>
        <translation>
            <numerusform>%n picture of this album cannot be shown and will be left out of the video: %1</numerusform>
            <numerusform>%n pictures of this album cannot be shown and will be left out of the video: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Export the rest</source>
        <translation>Export the rest</translation>
    </message>
    <message>
        <source>Set all to %1 s</source>
        <translation>Set all to %1 s</translation>
    </message>
    <message>
        <source>Every picture has its own duration (fitted to the music, or set in its panel); this one is for pictures added later</source>
        <translation>Every picture has its own duration (fitted to the music, or set in its panel); this one is for pictures added later</translation>
    </message>
    <message>
        <source>Set all durations</source>
        <translation>Set all durations</translation>
    </message>
    <message numerus="yes">
        <source>Replace the %n pictures of this album? Their settings go with them.</source>
        <translation>
            <numerusform>Replace the picture of this album? Its settings go with it.</numerusform>
            <numerusform>Replace the %n pictures of this album? Their settings go with them.</numerusform>
        </translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Replace</translation>
    </message>
    <message numerus="yes">
        <source>%n pictures fitted to %1 of music</source>
        <translation>
            <numerusform>%n picture fitted to %1 of music</numerusform>
            <numerusform>%n pictures fitted to %1 of music</numerusform>
        </translation>
    </message>
    <message>
        <source>Failed to add watermark, because its name has a line break</source>
        <translation>The watermark picture cannot be used: its file name has a line break</translation>
    </message>
    <message>
        <source>Failed to add background music, because its name has a line break</source>
        <translation>The music file cannot be used: its file name has a line break</translation>
    </message>
    <message>
        <source>Stop the export?</source>
        <translation>Stop the export?</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>Add folder…</source>
        <translation>Add folder…</translation>
    </message>
    <message>
        <source>Sort pictures</source>
        <translation>Sort pictures</translation>
    </message>
    <message>
        <source>By date taken</source>
        <translation>By date taken</translation>
    </message>
    <message>
        <source>By name</source>
        <translation>By name</translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation>Reverse</translation>
    </message>
    <message>
        <source>Add folder</source>
        <translation>Add folder</translation>
    </message>
    <message>
        <source>No JPEG or PNG pictures were found in the folder</source>
        <translation>No JPEG or PNG pictures were found in the folder</translation>
    </message>
    <message numerus="yes">
        <source>Only the first %n files of the folder were looked at</source>
        <translation>
            <numerusform>Only the first %n file of the folder was looked at</numerusform>
            <numerusform>Only the first %n files of the folder were looked at</numerusform>
        </translation>
    </message>
    <message>
        <source>Sort by date taken</source>
        <translation>Sort by date taken</translation>
    </message>
    <message>
        <source>Sort by name</source>
        <translation>Sort by name</translation>
    </message>
    <message>
        <source>Only one music file is used as background music; the other files were left out</source>
        <translation>Only one music file is used as background music; the other files were left out</translation>
    </message>
    <message>
        <source>Music (*.mp3 *.m4a *.aac *.ogg *.oga *.opus *.flac *.wav)</source>
        <translation>Music (*.mp3 *.m4a *.aac *.ogg *.oga *.opus *.flac *.wav)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Failed to add background music, because the file has no sound</source>
        <translation>The music file cannot be used: it has no sound</translation>
    </message>
    <message>
        <source>Failed to add background music, because its sound is in a format that cannot be played</source>
        <translation>The music file cannot be used: its sound is in a format that cannot be played</translation>
    </message>
    <message>
        <source>Failed to add background music, because its sound cannot be decoded</source>
        <translation>The music file cannot be used: its sound cannot be decoded</translation>
    </message>
    <message>
        <source>Failed to add background music, because the file is not a sound or video file</source>
        <translation>The music file cannot be used: it is not a sound or video file</translation>
    </message>
    <message>
        <source>Files that are not JPEG, PNG, HEIC, AVIF or WebP pictures were left out</source>
        <translation>Files that are not JPEG, PNG, HEIC, AVIF or WebP pictures were left out</translation>
    </message>
    <message>
        <source>Pictures (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp)</source>
        <translation>Pictures (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp)</translation>
    </message>
    <message>
        <source>Imported, with a notice...</source>
        <translation>Imported, with a notice...</translation>
    </message>
    <message>
        <source>Only pictures (JPEG, PNG, HEIC, AVIF, WebP), or a music file on the background music area, can be dropped here</source>
        <translation>Only pictures (JPEG, PNG, HEIC, AVIF, WebP), or a music file on the background music area, can be dropped here</translation>
    </message>
    <message>
        <source>Reverse order</source>
        <translation>Reverse order</translation>
    </message>
    <message>
        <source>Add music track</source>
        <translation>Add music track</translation>
    </message>
    <message>
        <source>Remove music track</source>
        <translation>Remove music track</translation>
    </message>
    <message>
        <source>Move music track</source>
        <translation>Move music track</translation>
    </message>
    <message>
        <source>Change music crossfade</source>
        <translation>Change music crossfade</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %n more</source>
        <translation>
            <numerusform>%1 and %n more</numerusform>
            <numerusform>%1 and %n more</numerusform>
        </translation>
    </message>
    <message>
        <source>Pictures and clips (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp *.mp4 *.mov *.m4v *.mkv *.webm *.3gp *.avi)</source>
        <translation>Pictures and clips (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp *.mp4 *.mov *.m4v *.mkv *.webm *.3gp *.avi)</translation>
    </message>
    <message numerus="yes">
        <source>%n live photo(s) came in as the picture alone, without the video</source>
        <translation>
            <numerusform>%n live photo came in as the picture alone, without the video</numerusform>
            <numerusform>%n live photos came in as the picture alone, without the video</numerusform>
        </translation>
    </message>
    <message>
        <source>Change music during clips</source>
        <translation>Change music during clips</translation>
    </message>
    <message>
        <source>Change music under clips</source>
        <translation>Change music under clips</translation>
    </message>
    <message>
        <source>Keep faces in frame</source>
        <translation>Keep faces in frame</translation>
    </message>
    <message>
        <source>Crop</source>
        <translation>Crop</translation>
    </message>
    <message>
        <source>Make a film from these</source>
        <translation>Make a film from these</translation>
    </message>
    <message>
        <source>Add pictures first</source>
        <translation>Add pictures first</translation>
    </message>
    <message>
        <source>Make a film</source>
        <translation>Make a film</translation>
    </message>
    <message>
        <source>Film made: sorted by date, moving, faces kept, cut on the beat</source>
        <translation>Film made: sorted by date, moving, faces kept, cut on the beat</translation>
    </message>
    <message>
        <source>Film made: sorted by date, moving, faces kept</source>
        <translation>Film made: sorted by date, moving, faces kept</translation>
    </message>
</context>
<context>
    <name>ZodoZadarClass</name>
    <message>
        <source>VMAlbum</source>
        <translation>VMAlbum</translation>
    </message>
    <message>
        <source>electronic photo album</source>
        <translation>Photo album</translation>
    </message>
    <message>
        <source>self-adaption(default)</source>
        <translation>Automatic (default)</translation>
    </message>
    <message>
        <source>export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>setting</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>image duration</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>s</source>
        <translation>s</translation>
    </message>
    <message>
        <source>transition effect</source>
        <translation>Transitions:</translation>
    </message>
    <message>
        <source>random</source>
        <translation>at random</translation>
    </message>
    <message>
        <source>background music</source>
        <translation>Background music</translation>
    </message>
    <message>
        <source>none</source>
        <translation>None</translation>
    </message>
    <message>
        <source>custom</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>Please select background music file</source>
        <translation>Choose a music file</translation>
    </message>
    <message>
        <source>watermark</source>
        <translation>Watermark</translation>
    </message>
    <message>
        <source>text watermark</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>image watermark</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>Please enter the watermark content</source>
        <translation>Enter the watermark text</translation>
    </message>
    <message>
        <source>font</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>Please select image watermark</source>
        <translation>Choose a picture for the watermark</translation>
    </message>
    <message>
        <source>select watermark position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>add again</source>
        <translation>Replace pictures…</translation>
    </message>
    <message>
        <source>Aspect ratio</source>
        <translation>Aspect ratio</translation>
    </message>
    <message>
        <source>Video height</source>
        <translation>Video height</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Picture duration in seconds</source>
        <translation>Picture duration in seconds</translation>
    </message>
    <message>
        <source>No background music</source>
        <translation>No background music</translation>
    </message>
    <message>
        <source>Custom background music</source>
        <translation>Custom background music</translation>
    </message>
    <message>
        <source>Choose the music file</source>
        <translation>Choose the music file</translation>
    </message>
    <message>
        <source>No watermark</source>
        <translation>No watermark</translation>
    </message>
    <message>
        <source>Text watermark</source>
        <translation>Text watermark</translation>
    </message>
    <message>
        <source>Picture watermark</source>
        <translation>Picture watermark</translation>
    </message>
    <message>
        <source>Picture watermark help</source>
        <translation>Picture watermark help</translation>
    </message>
    <message>
        <source>Watermark text</source>
        <translation>Watermark text</translation>
    </message>
    <message>
        <source>Watermark font</source>
        <translation>Watermark font</translation>
    </message>
    <message>
        <source>Choose the watermark picture</source>
        <translation>Choose the watermark picture</translation>
    </message>
    <message>
        <source>Watermark at the top left</source>
        <translation>Watermark at the top left</translation>
    </message>
    <message>
        <source>Watermark at the top</source>
        <translation>Watermark at the top</translation>
    </message>
    <message>
        <source>Watermark at the top right</source>
        <translation>Watermark at the top right</translation>
    </message>
    <message>
        <source>Watermark at the left</source>
        <translation>Watermark at the left</translation>
    </message>
    <message>
        <source>Watermark in the centre</source>
        <translation>Watermark in the center</translation>
    </message>
    <message>
        <source>Watermark at the right</source>
        <translation>Watermark at the right</translation>
    </message>
    <message>
        <source>Watermark at the bottom left</source>
        <translation>Watermark at the bottom left</translation>
    </message>
    <message>
        <source>Watermark at the bottom</source>
        <translation>Watermark at the bottom</translation>
    </message>
    <message>
        <source>Watermark at the bottom right</source>
        <translation>Watermark at the bottom right</translation>
    </message>
    <message>
        <source>Add pictures</source>
        <translation>Add pictures</translation>
    </message>
    <message>
        <source>Pictures of the album</source>
        <translation>Pictures of the album</translation>
    </message>
    <message>
        <source>Add pictures again</source>
        <translation>Replace pictures</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Each picture gets a transition at random. Choose one for a picture in its panel.</source>
        <translation>Each picture gets a transition at random. Choose one for a picture in its panel.</translation>
    </message>
</context>
</TS>
