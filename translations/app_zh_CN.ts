<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AVError</name>
    <message>
        <source>Operation not permitted</source>
        <translation>不允许的操作</translation>
    </message>
    <message>
        <source>No such file or directory</source>
        <translation>文件或目录不存在</translation>
    </message>
    <message>
        <source>Interrupted system call</source>
        <translation>系统调用被中断</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>输入/输出错误</translation>
    </message>
    <message>
        <source>No such device or address</source>
        <translation>设备或地址不存在</translation>
    </message>
    <message>
        <source>Bad file descriptor</source>
        <translation>文件描述符无效</translation>
    </message>
    <message>
        <source>Resource temporarily unavailable</source>
        <translation>资源暂时不可用</translation>
    </message>
    <message>
        <source>Cannot allocate memory</source>
        <translation>无法分配内存</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>权限不足</translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation>设备或资源忙</translation>
    </message>
    <message>
        <source>File exists</source>
        <translation>文件已存在</translation>
    </message>
    <message>
        <source>No such device</source>
        <translation>设备不存在</translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation>不是文件夹</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>是文件夹</translation>
    </message>
    <message>
        <source>Invalid argument</source>
        <translation>无效的参数</translation>
    </message>
    <message>
        <source>Too many open files in system</source>
        <translation>系统打开的文件过多</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>打开的文件过多</translation>
    </message>
    <message>
        <source>File too large</source>
        <translation>文件过大</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>设备上没有剩余空间</translation>
    </message>
    <message>
        <source>Illegal seek</source>
        <translation>无效的定位</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>只读文件系统</translation>
    </message>
    <message>
        <source>Broken pipe</source>
        <translation>管道已断开</translation>
    </message>
    <message>
        <source>Numerical result out of range</source>
        <translation>数值结果超出范围</translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation>文件名过长</translation>
    </message>
    <message>
        <source>Function not implemented</source>
        <translation>功能未实现</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation>符号链接层数过多</translation>
    </message>
    <message>
        <source>Operation not supported</source>
        <translation>不支持的操作</translation>
    </message>
    <message>
        <source>Connection timed out</source>
        <translation>连接超时</translation>
    </message>
    <message>
        <source>Stale file handle</source>
        <translation>文件句柄已失效</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>超出磁盘配额</translation>
    </message>
    <message>
        <source>Bitstream filter not found</source>
        <translation>找不到比特流过滤器</translation>
    </message>
    <message>
        <source>Internal bug, should not have happened</source>
        <translation>内部错误</translation>
    </message>
    <message>
        <source>Buffer too small</source>
        <translation>缓冲区太小</translation>
    </message>
    <message>
        <source>Decoder not found</source>
        <translation>找不到解码器</translation>
    </message>
    <message>
        <source>Demuxer not found</source>
        <translation>找不到解复用器</translation>
    </message>
    <message>
        <source>Encoder not found</source>
        <translation>找不到编码器</translation>
    </message>
    <message>
        <source>End of file</source>
        <translation>已到文件末尾</translation>
    </message>
    <message>
        <source>Immediate exit requested</source>
        <translation>已要求立即退出</translation>
    </message>
    <message>
        <source>Generic error in an external library</source>
        <translation>外部库出错</translation>
    </message>
    <message>
        <source>Filter not found</source>
        <translation>找不到滤镜</translation>
    </message>
    <message>
        <source>Invalid data found when processing input</source>
        <translation>处理输入时发现无效数据</translation>
    </message>
    <message>
        <source>Muxer not found</source>
        <translation>找不到复用器</translation>
    </message>
    <message>
        <source>Option not found</source>
        <translation>找不到选项</translation>
    </message>
    <message>
        <source>Not yet implemented in FFmpeg, patches welcome</source>
        <translation>FFmpeg 尚未实现此功能</translation>
    </message>
    <message>
        <source>Protocol not found</source>
        <translation>找不到协议</translation>
    </message>
    <message>
        <source>Stream not found</source>
        <translation>找不到流</translation>
    </message>
    <message>
        <source>Unknown error occurred</source>
        <translation>发生未知错误</translation>
    </message>
    <message>
        <source>Experimental feature</source>
        <translation>实验性功能</translation>
    </message>
    <message>
        <source>Input changed</source>
        <translation>输入已改变</translation>
    </message>
    <message>
        <source>Output changed</source>
        <translation>输出已改变</translation>
    </message>
    <message>
        <source>%1(%2)</source>
        <extracomment>The failing step, then the system&apos;s or FFmpeg&apos;s words for why in brackets.</extracomment>
        <translation>%1（%2）</translation>
    </message>
</context>
<context>
    <name>AddImageButton</name>
    <message>
        <source>clik to add .jpeg .png picture material</source>
        <translation>点击添加 .jpeg .png 图片素材</translation>
    </message>
    <message>
        <source>Add pictures</source>
        <translation>添加图片</translation>
    </message>
</context>
<context>
    <name>AlbumFile</name>
    <message>
        <source>&quot;%1&quot;: a whole number from %2 to %3</source>
        <translation>&quot;%1&quot;：应为 %2 到 %3 之间的整数</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: one of %2</source>
        <translation>&quot;%1&quot;：应为以下之一：%2</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a text</source>
        <translation>&quot;%1&quot;：应为文本</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is missing</source>
        <translation>缺少 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a file name, not an empty text</source>
        <translation>&quot;%1&quot;：应为文件名，不能为空</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a file name without line breaks or NUL characters</source>
        <translation>&quot;%1&quot;：文件名中不能有换行符或 NUL 字符</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: null or an object</source>
        <translation>&quot;%1&quot;：应为 null 或对象</translation>
    </message>
    <message>
        <source>It is larger than an album file can be (%1 bytes; at most %2)</source>
        <translation>文件超出相册文件的大小上限（%1 字节；最多 %2）</translation>
    </message>
    <message>
        <source>Not valid JSON: %1 at byte %2</source>
        <translation>不是有效的 JSON：第 %2 字节处%1</translation>
    </message>
    <message>
        <source>Not an album file: it holds no JSON object</source>
        <translation>不是相册文件：其中没有 JSON 对象</translation>
    </message>
    <message>
        <source>Not an album file: &quot;%1&quot; is missing</source>
        <translation>不是相册文件：缺少 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a whole number</source>
        <translation>&quot;%1&quot;：应为整数</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: version %2 is not one this program reads (it reads version %3)</source>
        <translation>&quot;%1&quot;：本程序无法读取版本 %2（可读取版本 %3）</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a list</source>
        <translation>&quot;%1&quot;：应为列表</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: at most %2 pictures, not %3</source>
        <translation>&quot;%1&quot;：最多 %2 张图片，而不是 %3 张</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: an object</source>
        <translation>&quot;%1&quot;：应为对象</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;%2&quot; is not a known transition</source>
        <translation>&quot;%1&quot;：&quot;%2&quot; 不是已知的转场</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: either &quot;text&quot; or &quot;image&quot;, not both</source>
        <translation>&quot;%1&quot;：&quot;text&quot; 和 &quot;image&quot; 只能有一个</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: an object with &quot;text&quot; or &quot;image&quot;</source>
        <translation>&quot;%1&quot;：应为含 &quot;text&quot; 或 &quot;image&quot; 的对象</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a colour written #rrggbb</source>
        <translation>&quot;%1&quot;：颜色应写作 #rrggbb</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a file name without &quot;/&quot;, line breaks or NUL characters</source>
        <translation>&quot;%1&quot;：文件名中不能有 &quot;/&quot;、换行符或 NUL 字符</translation>
    </message>
    <message>
        <source>It is a folder, not an album file</source>
        <translation>这是文件夹，不是相册文件</translation>
    </message>
    <message>
        <source>It is not a regular file</source>
        <translation>这不是普通文件</translation>
    </message>
    <message>
        <source>Cannot open it: %1</source>
        <translation>无法打开：%1</translation>
    </message>
    <message>
        <source>Cannot read it: %1</source>
        <translation>无法读取：%1</translation>
    </message>
    <message>
        <source>The album cannot be saved as it is: %1</source>
        <translation>相册无法按现状保存：%1</translation>
    </message>
    <message>
        <source>Cannot create a file in &quot;%1&quot;: %2</source>
        <translation>无法在 &quot;%1&quot; 中创建文件：%2</translation>
    </message>
    <message>
        <source>Cannot write the file: %1</source>
        <translation>无法写入文件：%1</translation>
    </message>
    <message>
        <source>Cannot replace the old file: %1</source>
        <translation>无法替换原文件：%1</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: seconds from %2 to %3</source>
        <translation>&quot;%1&quot;：应为 %2 到 %3 秒</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: true or false</source>
        <translation>&quot;%1&quot;：应为 true 或 false</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a number from %2 to %3</source>
        <translation>&quot;%1&quot;：应为 %2 到 %3 之间的数</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: [x, y, width, height], fractions of the picture that lie within it</source>
        <translation>&quot;%1&quot;：应为 [x, y, 宽, 高]，以图片的比例表示且位于图片之内</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a share of the picture height from %2 to %3</source>
        <translation>&quot;%1&quot;：应为图片高度的 %2 到 %3 倍</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: at most %2 characters</source>
        <translation>&quot;%1&quot;：最多 %2 个字符</translation>
    </message>
    <message>
        <source>Cannot follow the link &quot;%1&quot;: %2</source>
        <translation>无法跟随链接“%1”：%2</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: a list of one or more tracks</source>
        <translation>&quot;%1&quot;：应为含一个或多个曲目的列表</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;out&quot; after &quot;in&quot;</source>
        <translation>“%1”：“out”须在“in”之后</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: decibels from 0 to %2, or &quot;pause&quot;</source>
        <translation>“%1”：0 到 %2 分贝，或“pause”</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;beat&quot;, &quot;2&quot;, &quot;bar&quot;, &quot;2bars&quot;, &quot;auto&quot; or &quot;off&quot;</source>
        <translation>“%1”：“beat”、“2”、“bar”、“2bars”、“auto”或“off”</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;black&quot;, &quot;blur&quot;, &quot;crop&quot; or a colour written #rrggbb</source>
        <translation>&quot;%1&quot;：应为 &quot;black&quot;、&quot;blur&quot;、&quot;crop&quot; 或 #rrggbb 形式的颜色</translation>
    </message>
</context>
<context>
    <name>AlbumOps</name>
    <message>
        <source>The album has no pictures</source>
        <translation>相册中没有图片</translation>
    </message>
    <message>
        <source>The music is too short for these pictures: %1 s, and they need at least %2 s</source>
        <translation>音乐太短，不够这些图片使用：音乐 %1 秒，图片至少需要 %2 秒</translation>
    </message>
    <message>
        <source>The music is too long for these pictures: %1 s, and they last at most %2 s</source>
        <translation>音乐太长，这些图片无法覆盖：音乐 %1 秒，图片最多 %2 秒</translation>
    </message>
    <message>
        <source>Choose the background music first</source>
        <translation>请先选择背景音乐</translation>
    </message>
    <message>
        <source>The music cannot be read to the end to measure its length</source>
        <translation>无法完整读取音乐以测量其时长</translation>
    </message>
    <message>
        <source>The music is %1 s long and starts at %2 s: nothing is left to fit the pictures to</source>
        <translation>音乐时长 %1 秒，起始位置为 %2 秒：没有剩余的音乐可供适配图片</translation>
    </message>
</context>
<context>
    <name>BeatAnalysis</name>
    <message>
        <source>The beat analysis was cancelled</source>
        <translation>节拍分析已取消</translation>
    </message>
    <message>
        <source>The music &quot;%1&quot; cannot be read</source>
        <translation>无法读取音乐“%1”</translation>
    </message>
    <message>
        <source>The music &quot;%1&quot; cannot be analysed</source>
        <translation>无法分析音乐“%1”</translation>
    </message>
</context>
<context>
    <name>BeatCut</name>
    <message>
        <source>No beat was found in the music.</source>
        <translation>音乐中没有找到节拍。</translation>
    </message>
    <message>
        <source>The music&apos;s length is not known.</source>
        <translation>音乐的长度未知。</translation>
    </message>
    <message>
        <source>The music is too short for these pictures to change on its beat.</source>
        <translation>音乐太短，这些图片无法在节拍上切换。</translation>
    </message>
    <message>
        <source>The music&apos;s beats end before the album does.</source>
        <translation>音乐的节拍在相册结束之前就结束了。</translation>
    </message>
</context>
<context>
    <name>BeatKeeper</name>
    <message>
        <source>Cut on the beat</source>
        <translation>踩点切换</translation>
    </message>
    <message>
        <source>Correct the beat</source>
        <translation>校正节拍</translation>
    </message>
    <message>
        <source>Fit to the music</source>
        <translation>适配音乐</translation>
    </message>
</context>
<context>
    <name>BeatSection</name>
    <message>
        <source>Off</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>On every beat</source>
        <translation>每拍</translation>
    </message>
    <message>
        <source>On every 2 beats</source>
        <translation>每 2 拍</translation>
    </message>
    <message>
        <source>On every bar</source>
        <translation>每小节</translation>
    </message>
    <message>
        <source>On every 2 bars</source>
        <translation>每 2 小节</translation>
    </message>
    <message>
        <source>Auto (nearest beat to each picture&apos;s time)</source>
        <translation>自动（取最接近每张图片时长的节拍）</translation>
    </message>
    <message>
        <source>Cut on the beat</source>
        <translation>踩点切换</translation>
    </message>
    <message>
        <source>−10 ms</source>
        <translation>−10 毫秒</translation>
    </message>
    <message>
        <source>Move the beat grid 10 ms earlier</source>
        <translation>节拍网格提前 10 毫秒</translation>
    </message>
    <message>
        <source>+10 ms</source>
        <translation>+10 毫秒</translation>
    </message>
    <message>
        <source>Move the beat grid 10 ms later</source>
        <translation>节拍网格推后 10 毫秒</translation>
    </message>
    <message>
        <source>½ tempo</source>
        <translation>½ 速度</translation>
    </message>
    <message>
        <source>Half the tempo: keep every other beat</source>
        <translation>速度减半：每隔一拍保留一拍</translation>
    </message>
    <message>
        <source>2× tempo</source>
        <translation>2× 速度</translation>
    </message>
    <message>
        <source>Double the tempo: a beat between each two</source>
        <translation>速度加倍：每两拍之间加一拍</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Take the beat grid as it was found</source>
        <translation>恢复为分析得到的节拍网格</translation>
    </message>
    <message>
        <source>Every change of picture falls on a beat of the music</source>
        <translation>每次切换图片都落在音乐的节拍上</translation>
    </message>
    <message>
        <source>Choose background music first</source>
        <translation>请先选择背景音乐</translation>
    </message>
    <message>
        <source>Finding the beat… %1 %</source>
        <translation>正在分析节拍… %1 %</translation>
    </message>
    <message>
        <source>Finding the beat…</source>
        <translation>正在分析节拍…</translation>
    </message>
    <message>
        <source>No beat</source>
        <translation>没有节拍</translation>
    </message>
    <message>
        <source>No beat was found in this track</source>
        <translation>这首曲目中没有找到节拍</translation>
    </message>
    <message numerus="yes">
        <source>%1 BPM, %n bars</source>
        <translation>
            <numerusform>%1 BPM，%n 个小节</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 BPM, %n bars, corrected</source>
        <translation>
            <numerusform>%1 BPM，%n 个小节（已校正）</numerusform>
        </translation>
    </message>
    <message>
        <source>Fit to the music, ending on its last bar</source>
        <translation>适配音乐，在最后一小节结束</translation>
    </message>
    <message>
        <source>Every picture&apos;s time is scaled so that the album ends with the music</source>
        <translation>按比例调整每张图片的时长，使相册随音乐结束</translation>
    </message>
</context>
<context>
    <name>BeatWaveform</name>
    <message>
        <source>Music waveform with beat marks</source>
        <translation>带节拍标记的音乐波形</translation>
    </message>
    <message>
        <source>Beat</source>
        <translation>节拍</translation>
    </message>
    <message>
        <source>Bar</source>
        <translation>小节</translation>
    </message>
    <message>
        <source>Picture change</source>
        <translation>图片切换</translation>
    </message>
    <message>
        <source>Picture change at %1</source>
        <translation>图片切换于 %1</translation>
    </message>
    <message>
        <source>Bar start at %1: drag it onto another beat to move the bars</source>
        <translation>小节起点 %1：拖到另一拍上即可移动小节</translation>
    </message>
    <message>
        <source>Beat at %1</source>
        <translation>节拍 %1</translation>
    </message>
    <message>
        <source>Wheel: scroll; Ctrl+wheel: zoom; Shift+drag: move the beat grid</source>
        <translation>滚轮：滚动；Ctrl+滚轮：缩放；Shift+拖动：移动节拍网格</translation>
    </message>
</context>
<context>
    <name>CCatchHelperDll</name>
    <message>
        <source>提示</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>无法加载DLL,catchhelper.dll</source>
        <translation>无法加载DLL,catchhelper.dll</translation>
    </message>
    <message>
        <source>无法获取导出函数,getBLLDumpCatchMgrExportInterface</source>
        <translation>无法获取导出函数,getBLLDumpCatchMgrExportInterface</translation>
    </message>
    <message>
        <source>函数返回空,getBLLDumpCatchMgrExportInterface</source>
        <translation>函数返回空,getBLLDumpCatchMgrExportInterface</translation>
    </message>
</context>
<context>
    <name>CFramelessWindow</name>
    <message>
        <source>VelmoraAlbum</source>
        <translation>VelmoraAlbum 电子相册</translation>
    </message>
    <message>
        <source>tipRestore</source>
        <translation>还原</translation>
    </message>
    <message>
        <source>tipMaximize</source>
        <translation>最大化</translation>
    </message>
    <message>
        <source>版本：v%1</source>
        <translation>版本：v%1</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>还原</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>最大化</translation>
    </message>
</context>
<context>
    <name>CFramelessWindowClass</name>
    <message>
        <source>appMenu</source>
        <translation>主菜单</translation>
    </message>
    <message>
        <source>tipMinimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>tipMaximize</source>
        <translation>最大化</translation>
    </message>
    <message>
        <source>tipClose</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Website</source>
        <translation>官方网站</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>在线客服</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>主菜单</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>最大化</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>CQDlgTipSimple</name>
    <message>
        <source>检查更新</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Comfirm</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>checkUpdate</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>CQQuitDialogClass</name>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>label2</source>
        <translation>详细信息</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Comfirm</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>CQVideoPlayClass</name>
    <message>
        <source>CQVideoPlay</source>
        <translation>播放器</translation>
    </message>
    <message>
        <source>Play or pause</source>
        <translation>播放/暂停</translation>
    </message>
    <message>
        <source>Playback position</source>
        <translation>播放进度</translation>
    </message>
</context>
<context>
    <name>CQVideoShowClass</name>
    <message>
        <source>CQVideoShow</source>
        <translation>视频画面</translation>
    </message>
</context>
<context>
    <name>ClipControls</name>
    <message>
        <source>Part of the clip played</source>
        <translation>片段播放的部分</translation>
    </message>
    <message>
        <source>Drag the handles to trim the clip, or press I and O to start and end it at the position shown</source>
        <translation>拖动两端的手柄裁剪片段，或按 I 和 O 在当前位置设置起点和终点</translation>
    </message>
    <message>
        <source>Start, end and position in the clip</source>
        <translation>片段中的起点、终点和当前位置</translation>
    </message>
    <message>
        <source>Length of the clip in the video</source>
        <translation>片段在视频中的时长</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>静音</translation>
    </message>
    <message>
        <source>Mute the clip&apos;s sound</source>
        <translation>将片段的声音静音</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>Volume of the clip&apos;s sound</source>
        <translation>片段声音的音量</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>速度</translation>
    </message>
    <message>
        <source>Speed of the clip</source>
        <translation>片段的播放速度</translation>
    </message>
    <message>
        <source>This clip has no sound</source>
        <translation>此片段没有声音</translation>
    </message>
    <message>
        <source>In %1 · Out %2 · At %3</source>
        <translation>起点 %1 · 终点 %2 · 位置 %3</translation>
    </message>
    <message>
        <source>Length in the video: %1</source>
        <translation>在视频中的时长：%1</translation>
    </message>
</context>
<context>
    <name>ClipSource</name>
    <message>
        <source>damaged clip</source>
        <translation>视频片段已损坏</translation>
    </message>
    <message>
        <source>no picture in this file</source>
        <translation>此文件中没有画面</translation>
    </message>
    <message>
        <source>%1 x %2 pixels; clips are taken up to %3 a side</source>
        <translation>%1 x %2 像素；视频片段每边最多 %3 像素</translation>
    </message>
    <message>
        <source>longer than 3 hours</source>
        <translation>长于 3 小时</translation>
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
        <translation>文件名无效！</translation>
    </message>
    <message>
        <source>Please enter a file name</source>
        <translation>请输入文件名</translation>
    </message>
    <message>
        <source>The clips&apos; sound is left out of GIF files.</source>
        <translation>GIF 文件不包含片段的声音。</translation>
    </message>
    <message>
        <source>The clips&apos; sound is left out of M4V files.</source>
        <translation>M4V 文件不包含片段的声音。</translation>
    </message>
</context>
<context>
    <name>ExportSettingDialogClass</name>
    <message>
        <source>ExportSettingDialog</source>
        <translation>导出设置</translation>
    </message>
    <message>
        <source>export setting</source>
        <translation>导出设置</translation>
    </message>
    <message>
        <source>export format</source>
        <translation>导出格式</translation>
    </message>
    <message>
        <source>video</source>
        <translation>视频</translation>
    </message>
    <message>
        <source>frame rate</source>
        <translation>帧率</translation>
    </message>
    <message>
        <source>bit rate</source>
        <translation>比特率</translation>
    </message>
    <message>
        <source>audio</source>
        <translation>音频</translation>
    </message>
    <message>
        <source>sample rate</source>
        <translation>采样率</translation>
    </message>
    <message>
        <source>file name</source>
        <translation>文件名</translation>
    </message>
    <message>
        <source>Please enter a file name</source>
        <translation>请输入文件名</translation>
    </message>
    <message>
        <source>export to</source>
        <translation>导出到</translation>
    </message>
    <message>
        <source>export</source>
        <translation>导出</translation>
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
        <translation>24fps</translation>
    </message>
    <message>
        <source>25fps</source>
        <translation>25fps</translation>
    </message>
    <message>
        <source>30fps</source>
        <translation>30fps</translation>
    </message>
    <message>
        <source>60fps</source>
        <translation>60fps</translation>
    </message>
    <message>
        <source>120fps</source>
        <translation>120fps</translation>
    </message>
    <message>
        <source>self-adaption</source>
        <translation>自适应</translation>
    </message>
    <message>
        <source>256kbps</source>
        <translation>256kbps</translation>
    </message>
    <message>
        <source>384kbps</source>
        <translation>384kbps</translation>
    </message>
    <message>
        <source>512kbps</source>
        <translation>512kbps</translation>
    </message>
    <message>
        <source>768kbps</source>
        <translation>768kbps</translation>
    </message>
    <message>
        <source>64kbps</source>
        <translation>64kbps</translation>
    </message>
    <message>
        <source>96kbps</source>
        <translation>96kbps</translation>
    </message>
    <message>
        <source>128kbps</source>
        <translation>128kbps</translation>
    </message>
    <message>
        <source>8000Hz</source>
        <translation>8000Hz</translation>
    </message>
    <message>
        <source>11025Hz</source>
        <translation>11025Hz</translation>
    </message>
    <message>
        <source>22050Hz</source>
        <translation>22050Hz</translation>
    </message>
    <message>
        <source>44100Hz</source>
        <translation>44100Hz</translation>
    </message>
    <message>
        <source>48000Hz</source>
        <translation>48000Hz</translation>
    </message>
    <message>
        <source>close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>video frame rate</source>
        <translation>视频帧率</translation>
    </message>
    <message>
        <source>video bit rate</source>
        <translation>视频比特率</translation>
    </message>
    <message>
        <source>audio bit rate</source>
        <translation>音频比特率</translation>
    </message>
    <message>
        <source>audio sample rate</source>
        <translation>音频采样率</translation>
    </message>
    <message>
        <source>edit file name</source>
        <translation>编辑文件名</translation>
    </message>
    <message>
        <source>export folder</source>
        <translation>导出文件夹</translation>
    </message>
    <message>
        <source>choose export folder</source>
        <translation>选择导出文件夹</translation>
    </message>
    <message>
        <source>GIF plays at 50 fps at most: exported at 50 fps</source>
        <translation>GIF 最多以每秒 50 帧播放：将按 50 帧/秒导出</translation>
    </message>
</context>
<context>
    <name>FailDialogClass</name>
    <message>
        <source>FailDialog</source>
        <translation>失败</translation>
    </message>
    <message>
        <source>Export failed...</source>
        <translation>导出失败...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Files that could not be used</source>
        <translation>无法使用的文件</translation>
    </message>
</context>
<context>
    <name>FontDialog</name>
    <message>
        <source>Select Font</source>
        <translation>选择字体</translation>
    </message>
    <message>
        <source>&amp;Font</source>
        <translation>字体(&amp;F)</translation>
    </message>
    <message>
        <source>Font st&amp;yle</source>
        <translation>字形(&amp;Y)</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>大小(&amp;S)</translation>
    </message>
    <message>
        <source>Effects</source>
        <translation>效果</translation>
    </message>
    <message>
        <source>Stri&amp;keout</source>
        <translation>删除线(&amp;K)</translation>
    </message>
    <message>
        <source>&amp;Underline</source>
        <translation>下划线(&amp;U)</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>颜色</translation>
    </message>
    <message>
        <source>Sample</source>
        <translation>示例</translation>
    </message>
    <message>
        <source>Wr&amp;iting System</source>
        <translation>书写系统(&amp;I)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>AaBbYyZz</source>
        <translation>AaBbYy 水印</translation>
    </message>
    <message>
        <source>&amp;Pick Screen Color</source>
        <translation>拾取屏幕颜色(&amp;P)</translation>
    </message>
    <message>
        <source>Font family</source>
        <translation>字体</translation>
    </message>
    <message>
        <source>Chosen font family</source>
        <translation>所选字体</translation>
    </message>
    <message>
        <source>Font style</source>
        <translation>字形</translation>
    </message>
    <message>
        <source>Chosen font style</source>
        <translation>所选字形</translation>
    </message>
    <message>
        <source>Font size</source>
        <translation>字号</translation>
    </message>
    <message>
        <source>Font sizes</source>
        <translation>可选字号</translation>
    </message>
    <message>
        <source>Strikeout</source>
        <translation>删除线</translation>
    </message>
    <message>
        <source>Underline</source>
        <translation>下划线</translation>
    </message>
    <message>
        <source>Text color</source>
        <translation>文字颜色</translation>
    </message>
    <message>
        <source>Writing system</source>
        <translation>书写系统</translation>
    </message>
</context>
<context>
    <name>ImageDecoder</name>
    <message>
        <source>Image is too large</source>
        <translation>图片过大</translation>
    </message>
    <message>
        <source>Image decode failed</source>
        <translation>图片解码失败</translation>
    </message>
    <message>
        <source>Image ratio is abnormal</source>
        <translation>图片比例异常</translation>
    </message>
    <message>
        <source>Image format conversion failed</source>
        <translation>图片格式转换失败</translation>
    </message>
    <message>
        <source>Image zoom failed</source>
        <translation>图片缩放失败</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>文件不存在</translation>
    </message>
    <message>
        <source>cannot be read: permission denied</source>
        <translation>无法读取：没有权限</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>无法读取</translation>
    </message>
    <message>
        <source>not enough memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <source>a folder, not a picture file</source>
        <translation>这是文件夹，不是图片文件</translation>
    </message>
    <message>
        <source>empty file</source>
        <translation>空文件</translation>
    </message>
    <message>
        <source>damaged picture</source>
        <translation>图片已损坏</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels</source>
        <translation>超过 %1 × %2 像素</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%2 — %1</translation>
    </message>
    <message>
        <source>larger than %1 MiB</source>
        <translation>超过 %1 MiB</translation>
    </message>
    <message>
        <source>far too wide or too tall to show</source>
        <translation>过宽或过高，无法显示</translation>
    </message>
    <message>
        <source>its thumbnail cannot be made</source>
        <translation>无法生成缩略图</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels, the largest JPEG</source>
        <translation>超过 %1 × %2 像素（JPEG 的上限）</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels, the largest PNG</source>
        <translation>超过 %1 × %2 像素（PNG 的上限）</translation>
    </message>
    <message>
        <source>needs %1 MiB of memory at 16 bits a channel, more than the %2 MiB a picture may use; saved with 8 bits a channel it would fit</source>
        <translation>每通道 16 位时需要 %1 MiB 内存，超过单张图片可用的 %2 MiB；另存为每通道 8 位即可使用</translation>
    </message>
    <message>
        <source>needs %1 MiB of memory, more than the %2 MiB a picture may use (a progressive JPEG is decoded at its full size)</source>
        <translation>需要 %1 MiB 内存，超过单张图片可用的 %2 MiB（渐进式 JPEG 须按原尺寸解码）</translation>
    </message>
    <message>
        <source>needs %1 MiB of memory, more than the %2 MiB a picture may use</source>
        <translation>需要 %1 MiB 内存，超过单张图片可用的 %2 MiB</translation>
    </message>
    <message>
        <source>its name has a line break, which an album cannot keep; rename the file</source>
        <translation>文件名中含有换行符，相册无法保存它；请重命名该文件</translation>
    </message>
    <message>
        <source>a video clip, not a picture</source>
        <translation>这是视频片段，不是图片</translation>
    </message>
    <message>
        <source>not a JPEG, PNG, HEIC, AVIF or WebP picture</source>
        <translation>不是 JPEG、PNG、HEIC、AVIF 或 WebP 图片</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels, the largest HEIC</source>
        <translation>超过 %1 × %2 像素（HEIC 的上限）</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels, the largest AVIF</source>
        <translation>超过 %1 × %2 像素（AVIF 的上限）</translation>
    </message>
    <message>
        <source>larger than %1 × %2 pixels, the largest WebP</source>
        <translation>超过 %1 × %2 像素（WebP 的上限）</translation>
    </message>
    <message>
        <source>an animated picture: only its first frame is shown</source>
        <translation>动态图片：只显示第一帧</translation>
    </message>
    <message>
        <source>Clip decode failed</source>
        <translation>视频片段解码失败</translation>
    </message>
</context>
<context>
    <name>ImageListView</name>
    <message>
        <source>Picture list</source>
        <translation>图片列表</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Do you want to delete this material?</source>
        <translation>确定要删除该素材吗？</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Picture settings…</source>
        <translation>图片设置…</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Locate…</source>
        <translation>查找文件…</translation>
    </message>
</context>
<context>
    <name>MediaEncoder</name>
    <message>
        <source>Create output file failed</source>
        <translation>创建输出文件失败</translation>
    </message>
    <message>
        <source>Create output video stream failed</source>
        <translation>创建输出视频流失败</translation>
    </message>
    <message>
        <source>Create watermark filter failed</source>
        <translation>创建水印滤镜失败</translation>
    </message>
    <message>
        <source>Write file header failed</source>
        <translation>写入文件头失败</translation>
    </message>
    <message>
        <source>Image decode failed</source>
        <translation>图片解码失败</translation>
    </message>
    <message>
        <source>Image zoom failed</source>
        <translation>图片缩放失败</translation>
    </message>
    <message>
        <source>Image format conversion failed</source>
        <translation>图片格式转换失败</translation>
    </message>
    <message>
        <source>Add watermark failed</source>
        <translation>添加水印失败</translation>
    </message>
    <message>
        <source>Encode video frame failed</source>
        <translation>编码视频帧失败</translation>
    </message>
    <message>
        <source>Write video packet failed</source>
        <translation>写入视频包失败</translation>
    </message>
    <message>
        <source>Operation interrupted</source>
        <translation>操作已中断</translation>
    </message>
    <message>
        <source>Create transition filter failed</source>
        <translation>创建转场滤镜失败</translation>
    </message>
    <message>
        <source>Add frame to transition filter failed</source>
        <translation>向转场滤镜添加帧失败</translation>
    </message>
    <message>
        <source>Get frame from transition filter failed</source>
        <translation>从转场滤镜获取帧失败</translation>
    </message>
    <message>
        <source>Open mp3 file failed</source>
        <translation>打开 MP3 文件失败</translation>
    </message>
    <message>
        <source>Can not find audio stream on mp3 file</source>
        <translation>MP3 文件中找不到音频流</translation>
    </message>
    <message>
        <source>Create audio decoder failed</source>
        <translation>创建音频解码器失败</translation>
    </message>
    <message>
        <source>Create output audio stream failed</source>
        <translation>创建输出音频流失败</translation>
    </message>
    <message>
        <source>Create audio filter failed</source>
        <translation>创建音频滤镜失败</translation>
    </message>
    <message>
        <source>Read audio packet failed</source>
        <translation>读取音频包失败</translation>
    </message>
    <message>
        <source>Encode audio frame failed</source>
        <translation>编码音频帧失败</translation>
    </message>
    <message>
        <source>Write audio packet failed</source>
        <translation>写入音频包失败</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>No pictures to export</source>
        <translation>没有可导出的图片</translation>
    </message>
    <message>
        <source>The music ends before its start offset</source>
        <translation>音乐在其起始位置之前就已结束</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <source>Open music file failed</source>
        <translation>打开音乐文件失败</translation>
    </message>
    <message>
        <source>Can not find audio stream on music file</source>
        <translation>音乐文件中找不到音频流</translation>
    </message>
    <message>
        <source>Clip decode failed</source>
        <translation>视频片段解码失败</translation>
    </message>
    <message>
        <source>Read the sound of a clip failed</source>
        <translation>读取片段的声音失败</translation>
    </message>
</context>
<context>
    <name>MusicPanel</name>
    <message>
        <source>Start in the music</source>
        <translation>音乐起始位置</translation>
    </message>
    <message>
        <source>Fade in</source>
        <translation>淡入</translation>
    </message>
    <message>
        <source>Fade out</source>
        <translation>淡出</translation>
    </message>
    <message>
        <source>Music volume</source>
        <translation>音乐音量</translation>
    </message>
    <message>
        <source>Fit pictures to music</source>
        <translation>图片时长适配音乐</translation>
    </message>
    <message>
        <source>Sets every picture&apos;s duration, keeping their proportions, so that the album lasts as long as the music after its start</source>
        <translation>按原有比例设置每张图片的时长，使相册与起始位置之后的音乐一样长</translation>
    </message>
    <message>
        <source>Music tracks</source>
        <translation>音乐曲目</translation>
    </message>
    <message>
        <source>Add track</source>
        <translation>添加曲目</translation>
    </message>
    <message>
        <source>Remove track</source>
        <translation>移除曲目</translation>
    </message>
    <message>
        <source>Move up</source>
        <translation>上移</translation>
    </message>
    <message>
        <source>Move down</source>
        <translation>下移</translation>
    </message>
    <message>
        <source>Crossfade between tracks</source>
        <translation>曲目间交叉淡化</translation>
    </message>
    <message>
        <source>Clips</source>
        <translation>片段</translation>
    </message>
    <message>
        <source>Lower the music under clips by</source>
        <translation>片段播放时音乐降低</translation>
    </message>
    <message>
        <source>Pause the music during clips</source>
        <translation>片段播放时暂停音乐</translation>
    </message>
    <message>
        <source>No clip of the album brings sound: add a video clip with sound, or turn its sound on</source>
        <translation>相册中没有带声音的片段：请添加带声音的视频片段，或打开片段的声音</translation>
    </message>
</context>
<context>
    <name>PicturePanel</name>
    <message>
        <source>The picture</source>
        <translation>图片</translation>
    </message>
    <message>
        <source>Own duration</source>
        <translation>单独时长</translation>
    </message>
    <message>
        <source>Duration of this picture</source>
        <translation>这张图片的时长</translation>
    </message>
    <message>
        <source>Apply to all</source>
        <translation>应用到全部</translation>
    </message>
    <message>
        <source>Apply the duration to all pictures</source>
        <translation>将时长应用到全部图片</translation>
    </message>
    <message>
        <source>Transition after it</source>
        <translation>之后的转场</translation>
    </message>
    <message>
        <source>Transition after this picture</source>
        <translation>这张图片之后的转场</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>随机</translation>
    </message>
    <message>
        <source>None (a cut)</source>
        <translation>无（直接切换）</translation>
    </message>
    <message>
        <source>Apply the transition to all pictures</source>
        <translation>将转场应用到全部图片</translation>
    </message>
    <message>
        <source>Own length</source>
        <translation>单独转场时长</translation>
    </message>
    <message>
        <source>Length of the transition</source>
        <translation>转场时长</translation>
    </message>
    <message>
        <source>Motion</source>
        <translation>运动</translation>
    </message>
    <message>
        <source>Motion over this picture</source>
        <translation>这张图片上的运动</translation>
    </message>
    <message>
        <source>As the album</source>
        <translation>与相册相同</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Pan left</source>
        <translation>向左平移</translation>
    </message>
    <message>
        <source>Pan right</source>
        <translation>向右平移</translation>
    </message>
    <message>
        <source>Pan up</source>
        <translation>向上平移</translation>
    </message>
    <message>
        <source>Pan down</source>
        <translation>向下平移</translation>
    </message>
    <message>
        <source>Custom (drag the rectangles)</source>
        <translation>自定义（拖动矩形）</translation>
    </message>
    <message>
        <source>Apply the motion to all pictures</source>
        <translation>将运动应用到全部图片</translation>
    </message>
    <message>
        <source>Caption</source>
        <translation>字幕</translation>
    </message>
    <message>
        <source>Caption of this picture</source>
        <translation>这张图片的字幕</translation>
    </message>
    <message>
        <source>Text shown with the picture</source>
        <translation>与图片一起显示的文字</translation>
    </message>
    <message>
        <source>Apply the caption&apos;s style to all pictures</source>
        <translation>将字幕样式应用到全部图片</translation>
    </message>
    <message>
        <source>Font of the caption</source>
        <translation>字幕字体</translation>
    </message>
    <message>
        <source>Size of the caption, in hundredths of the height</source>
        <translation>字幕大小（画面高度的百分比）</translation>
    </message>
    <message>
        <source>Colour of the caption</source>
        <translation>字幕颜色</translation>
    </message>
    <message>
        <source>Position of the caption</source>
        <translation>字幕位置</translation>
    </message>
    <message>
        <source>Top left</source>
        <translation>左上</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>上方</translation>
    </message>
    <message>
        <source>Top right</source>
        <translation>右上</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>左侧</translation>
    </message>
    <message>
        <source>Centre</source>
        <translation>居中</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>右侧</translation>
    </message>
    <message>
        <source>Bottom left</source>
        <translation>左下</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>下方</translation>
    </message>
    <message>
        <source>Bottom right</source>
        <translation>右下</translation>
    </message>
    <message>
        <source>Edge of the caption</source>
        <translation>字幕描边</translation>
    </message>
    <message>
        <source>Plain</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Outline</source>
        <translation>描边</translation>
    </message>
    <message>
        <source>Shadow</source>
        <translation>阴影</translation>
    </message>
    <message>
        <source>Fill around it</source>
        <translation>周围填充</translation>
    </message>
    <message>
        <source>Fill around this picture</source>
        <translation>这张图片周围的填充</translation>
    </message>
    <message>
        <source>Black bars</source>
        <translation>黑边</translation>
    </message>
    <message>
        <source>Blurred picture</source>
        <translation>模糊的图片</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>颜色</translation>
    </message>
    <message>
        <source>Colour around this picture</source>
        <translation>这张图片周围的颜色</translation>
    </message>
    <message>
        <source>Apply the fill to all pictures</source>
        <translation>将填充应用到全部图片</translation>
    </message>
    <message>
        <source>Date taken and camera</source>
        <translation>拍摄日期和相机</translation>
    </message>
    <message>
        <source>{date} shows the date the picture was taken, {file} the name of its file</source>
        <translation>{date} 显示图片的拍摄日期，{file} 显示其文件名</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Taken %1</source>
        <translation>拍摄于 %1</translation>
    </message>
    <message>
        <source>File changed %1 (no date taken)</source>
        <translation>文件修改于 %1（无拍摄日期）</translation>
    </message>
    <message>
        <source>Camera: %1</source>
        <translation>相机：%1</translation>
    </message>
    <message>
        <source>The clip at the position shown</source>
        <translation>片段在当前位置的画面</translation>
    </message>
    <message>
        <source>Crop</source>
        <translation>裁切填满</translation>
    </message>
</context>
<context>
    <name>ProgressDialogClass</name>
    <message>
        <source>Dialog</source>
        <translation>进度</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>进度</translation>
    </message>
    <message>
        <source>Material import... </source>
        <translation>素材导入中... </translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>SuccessDialogClass</name>
    <message>
        <source>SuccessDialog</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Export succeeded</source>
        <translation>导出成功</translation>
    </message>
    <message>
        <source>Open the export folder</source>
        <translation>打开导出文件夹</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Copy the path</source>
        <translation>复制路径</translation>
    </message>
    <message>
        <source>The video file</source>
        <translation>视频文件</translation>
    </message>
    <message>
        <source>Copied</source>
        <translation>已复制</translation>
    </message>
    <message>
        <source>No file manager opened the folder. You can copy the path.</source>
        <translation>没有文件管理器打开该文件夹。您可以复制路径。</translation>
    </message>
</context>
<context>
    <name>Transition</name>
    <message>
        <source>Fade through black</source>
        <translation>经黑场淡变</translation>
    </message>
    <message>
        <source>Fade through white</source>
        <translation>经白场淡变</translation>
    </message>
    <message>
        <source>Rectangle crop</source>
        <translation>矩形裁切</translation>
    </message>
    <message>
        <source>Radial wipe</source>
        <translation>径向擦除</translation>
    </message>
    <message>
        <source>Horizontal blur</source>
        <translation>水平模糊</translation>
    </message>
    <message>
        <source>Pixelate</source>
        <translation>像素化</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Slide down</source>
        <translation>向下滑动</translation>
    </message>
    <message>
        <source>Slide left</source>
        <translation>向左滑动</translation>
    </message>
    <message>
        <source>Slide right</source>
        <translation>向右滑动</translation>
    </message>
    <message>
        <source>Wipe up</source>
        <translation>向上擦除</translation>
    </message>
    <message>
        <source>Wipe down</source>
        <translation>向下擦除</translation>
    </message>
    <message>
        <source>Wipe left</source>
        <translation>向左擦除</translation>
    </message>
    <message>
        <source>Wipe right</source>
        <translation>向右擦除</translation>
    </message>
    <message>
        <source>Smooth wipe up</source>
        <translation>向上柔和擦除</translation>
    </message>
    <message>
        <source>Smooth wipe down</source>
        <translation>向下柔和擦除</translation>
    </message>
    <message>
        <source>Smooth wipe left</source>
        <translation>向左柔和擦除</translation>
    </message>
    <message>
        <source>Smooth wipe right</source>
        <translation>向右柔和擦除</translation>
    </message>
    <message>
        <source>Closing circle</source>
        <translation>圆形收拢</translation>
    </message>
    <message>
        <source>Opening circle</source>
        <translation>圆形展开</translation>
    </message>
    <message>
        <source>Vertical close</source>
        <translation>垂直闭合</translation>
    </message>
    <message>
        <source>Vertical open</source>
        <translation>垂直展开</translation>
    </message>
    <message>
        <source>Horizontal close</source>
        <translation>水平闭合</translation>
    </message>
</context>
<context>
    <name>ZodoZadar</name>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Failed to add watermark, because of the abnormal picture</source>
        <translation>添加水印失败，图片异常</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>The file already exists. Do you want to overwrite it?</source>
        <translation>文件已存在，是否覆盖？</translation>
    </message>
    <message>
        <source>Cover</source>
        <translation>覆盖</translation>
    </message>
    <message>
        <source>Uncover</source>
        <translation>不覆盖</translation>
    </message>
    <message>
        <source>Editing electronic photo album, do you want to exit the software?</source>
        <translation>正在编辑电子相册，确定要退出软件吗？</translation>
    </message>
    <message>
        <source>Exit will not save the file</source>
        <translation>退出将不会保存文件</translation>
    </message>
    <message>
        <source>ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Whether to continue?</source>
        <translation>是否继续？</translation>
    </message>
    <message>
        <source>After switching the watermark type, the original watermark will be replaced.</source>
        <translation>切换水印类型后，原有水印将被替换。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>exporting... </source>
        <translation>正在导出... </translation>
    </message>
    <message>
        <source>Export failed...</source>
        <translation>导出失败...</translation>
    </message>
    <message>
        <source>VMAlbum</source>
        <translation>VMAlbum</translation>
    </message>
    <message>
        <source>JPEG And PNG Files(*.jpg *.jpeg *.png);;JPEG Files(*.jpg *.jpeg);;PNG Files(*.png)</source>
        <translation>JPEG 和 PNG 文件(*.jpg *.jpeg *.png);;JPEG 文件(*.jpg *.jpeg);;PNG 文件(*.png)</translation>
    </message>
    <message>
        <source>importing material... </source>
        <translation>正在导入素材... </translation>
    </message>
    <message>
        <source>Import failed...</source>
        <translation>导入失败...</translation>
    </message>
    <message>
        <source>Partial import failed...</source>
        <translation>部分导入失败...</translation>
    </message>
    <message>
        <source>Please select image watermark</source>
        <translation>请选择图片水印</translation>
    </message>
    <message>
        <source>Please select background music file</source>
        <translation>请选择背景音乐文件</translation>
    </message>
    <message>
        <source>MP3 File(*.mp3)</source>
        <translation>MP3 文件(*.mp3)</translation>
    </message>
    <message>
        <source>To ensure the clarity of the watermark, the recommended upload size of the image is 1274 x 418</source>
        <translation>为保证水印清晰度，建议上传的图片尺寸为 1274 x 418</translation>
    </message>
    <message>
        <source>Add pictures first, then drop the music on the background music area</source>
        <translation>请先添加图片，再将音乐拖到背景音乐区域</translation>
    </message>
    <message>
        <source>Only one MP3 file is used as background music; the other files were left out</source>
        <translation>背景音乐只使用一个 MP3 文件，其余文件已忽略</translation>
    </message>
    <message>
        <source>Add pictures before exporting</source>
        <translation>请先添加图片再导出</translation>
    </message>
    <message>
        <source>Export cancelled</source>
        <translation>已取消导出</translation>
    </message>
    <message>
        <source>Failed to add background music, because the file has no MP3 sound</source>
        <translation>添加背景音乐失败，文件中没有 MP3 音频</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>Delete picture</source>
        <translation>删除图片</translation>
    </message>
    <message>
        <source>Move picture</source>
        <translation>移动图片</translation>
    </message>
    <message>
        <source>Change duration</source>
        <translation>修改时长</translation>
    </message>
    <message>
        <source>Change ratio</source>
        <translation>修改比例</translation>
    </message>
    <message>
        <source>Change height</source>
        <translation>修改分辨率</translation>
    </message>
    <message>
        <source>An album file opens alone; the other files were left out</source>
        <translation>相册文件只能单独打开，其余文件已忽略</translation>
    </message>
    <message>
        <source>VelmoraAlbum albums (*.vmalbum)</source>
        <translation>VelmoraAlbum 相册(*.vmalbum)</translation>
    </message>
    <message>
        <source>New album</source>
        <translation>新建相册</translation>
    </message>
    <message>
        <source>Open album</source>
        <translation>打开相册</translation>
    </message>
    <message>
        <source>The album could not be opened</source>
        <translation>无法打开相册</translation>
    </message>
    <message>
        <source>Restore album</source>
        <translation>恢复相册</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>相册</translation>
    </message>
    <message>
        <source>Save album</source>
        <translation>保存相册</translation>
    </message>
    <message>
        <source>The album could not be saved</source>
        <translation>无法保存相册</translation>
    </message>
    <message>
        <source>VelmoraAlbum</source>
        <translation>VelmoraAlbum 电子相册</translation>
    </message>
    <message>
        <source>Restore the album you were working on?</source>
        <translation>是否恢复上次正在编辑的相册？</translation>
    </message>
    <message numerus="yes">
        <source>Last changed %1, %n picture(s)</source>
        <translation>
            <numerusform>最后修改于 %1，共 %n 张图片</numerusform>
        </translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>丢弃</translation>
    </message>
    <message>
        <source>Import pictures</source>
        <translation>导入图片</translation>
    </message>
    <message>
        <source>Open album…</source>
        <translation>打开相册…</translation>
    </message>
    <message>
        <source>Open recent</source>
        <translation>最近打开</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save as…</source>
        <translation>另存为…</translation>
    </message>
    <message>
        <source>Add pictures…</source>
        <translation>添加图片…</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>导出…</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>键盘快捷键</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Play or pause</source>
        <translation>播放/暂停</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>撤销%1</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>重做%1</translation>
    </message>
    <message>
        <source>No recent albums</source>
        <translation>没有最近打开的相册</translation>
    </message>
    <message>
        <source>Clear the list</source>
        <translation>清空列表</translation>
    </message>
    <message>
        <source>About VelmoraAlbum</source>
        <translation>关于 VelmoraAlbum</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>版本 %1</translation>
    </message>
    <message>
        <source>Change watermark</source>
        <translation>修改水印</translation>
    </message>
    <message>
        <source>Move watermark</source>
        <translation>移动水印</translation>
    </message>
    <message>
        <source>Change watermark text</source>
        <translation>修改水印文字</translation>
    </message>
    <message>
        <source>Change watermark font</source>
        <translation>修改水印字体</translation>
    </message>
    <message>
        <source>Change watermark picture</source>
        <translation>修改水印图片</translation>
    </message>
    <message>
        <source>Change music</source>
        <translation>修改背景音乐</translation>
    </message>
    <message>
        <source>Change picture settings</source>
        <translation>修改图片设置</translation>
    </message>
    <message>
        <source>Music settings…</source>
        <translation>音乐设置…</translation>
    </message>
    <message>
        <source>Change music settings</source>
        <translation>修改音乐设置</translation>
    </message>
    <message>
        <source>Choose pictures and background music first</source>
        <translation>请先选择图片和背景音乐</translation>
    </message>
    <message>
        <source>Fit pictures to music</source>
        <translation>图片时长适配音乐</translation>
    </message>
    <message>
        <source>Look of the album</source>
        <translation>相册外观</translation>
    </message>
    <message>
        <source>Gentle motion on every picture</source>
        <translation>每张图片轻微运动</translation>
    </message>
    <message>
        <source>Around pictures of another shape</source>
        <translation>比例不同的图片周围</translation>
    </message>
    <message>
        <source>Colour around pictures</source>
        <translation>图片周围的颜色</translation>
    </message>
    <message>
        <source>Black bars</source>
        <translation>黑边</translation>
    </message>
    <message>
        <source>Blurred picture</source>
        <translation>模糊的图片</translation>
    </message>
    <message>
        <source>Colour…</source>
        <translation>颜色…</translation>
    </message>
    <message>
        <source>Edge of the text watermark</source>
        <translation>文字水印的边缘</translation>
    </message>
    <message>
        <source>No edge</source>
        <translation>无边缘</translation>
    </message>
    <message>
        <source>Outline</source>
        <translation>描边</translation>
    </message>
    <message>
        <source>Shadow</source>
        <translation>阴影</translation>
    </message>
    <message>
        <source>Change the album&apos;s look</source>
        <translation>修改相册外观</translation>
    </message>
    <message>
        <source>VelmoraAlbum is free software: you can redistribute it and/or modify it under the terms of the GNU General Public License, version 3 or (at your option) any later version. It comes with ABSOLUTELY NO WARRANTY.</source>
        <translation>VelmoraAlbum 是自由软件：您可以依据 GNU 通用公共许可证第 3 版或（由您选择）任何更新的版本重新分发和修改它。本程序不提供任何担保。</translation>
    </message>
    <message>
        <source>Licence: %1</source>
        <translation>许可证：%1</translation>
    </message>
    <message>
        <source>Licence text</source>
        <translation>许可证全文</translation>
    </message>
    <message>
        <source>Save…</source>
        <translation>保存…</translation>
    </message>
    <message>
        <source>Save changes to “%1” before closing?</source>
        <translation>关闭前是否保存对“%1”的更改？</translation>
    </message>
    <message>
        <source>If you don&apos;t save, the changes since the last save are lost.</source>
        <translation>如果不保存，上次保存之后的更改将会丢失。</translation>
    </message>
    <message>
        <source>Don&apos;t save</source>
        <translation>不保存</translation>
    </message>
    <message>
        <source>Untitled album</source>
        <translation>未命名相册</translation>
    </message>
    <message>
        <source>The album could not be saved for restoring: %1</source>
        <translation>无法保存用于恢复的相册：%1</translation>
    </message>
    <message>
        <source>Missing</source>
        <translation>文件丢失</translation>
    </message>
    <message>
        <source>Cannot be used</source>
        <translation>无法使用</translation>
    </message>
    <message>
        <source>Locate %1</source>
        <translation>查找 %1</translation>
    </message>
    <message>
        <source>Locate picture</source>
        <translation>查找图片</translation>
    </message>
    <message>
        <source>The picture could not be used</source>
        <translation>无法使用这张图片</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>另外 %n 张</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n picture(s) of this album cannot be shown and will be left out of the video: %1</source>
        <translation>
            <numerusform>本相册有 %n 张图片无法显示，导出的视频将不包含它们：%1</numerusform>
        </translation>
    </message>
    <message>
        <source>Export the rest</source>
        <translation>导出其余图片</translation>
    </message>
    <message>
        <source>Set all to %1 s</source>
        <translation>全部设为 %1 秒</translation>
    </message>
    <message>
        <source>Every picture has its own duration (fitted to the music, or set in its panel); this one is for pictures added later</source>
        <translation>每张图片都有自己的时长（按音乐适配，或在图片设置中设定）；这里的时长用于之后添加的图片</translation>
    </message>
    <message>
        <source>Set all durations</source>
        <translation>统一时长</translation>
    </message>
    <message numerus="yes">
        <source>Replace the %n pictures of this album? Their settings go with them.</source>
        <translation>
            <numerusform>要替换本相册的 %n 张图片吗？它们的设置也会一并移除。</numerusform>
        </translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>替换</translation>
    </message>
    <message numerus="yes">
        <source>%n pictures fitted to %1 of music</source>
        <translation>
            <numerusform>%n 张图片已适配 %1 的音乐</numerusform>
        </translation>
    </message>
    <message>
        <source>Failed to add watermark, because its name has a line break</source>
        <translation>添加水印失败，因为文件名中含有换行符</translation>
    </message>
    <message>
        <source>Failed to add background music, because its name has a line break</source>
        <translation>添加背景音乐失败，因为文件名中含有换行符</translation>
    </message>
    <message>
        <source>Stop the export?</source>
        <translation>要停止导出吗？</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>继续</translation>
    </message>
    <message>
        <source>Add folder…</source>
        <translation>添加文件夹…</translation>
    </message>
    <message>
        <source>Sort pictures</source>
        <translation>图片排序</translation>
    </message>
    <message>
        <source>By date taken</source>
        <translation>按拍摄日期</translation>
    </message>
    <message>
        <source>By name</source>
        <translation>按名称</translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation>倒序</translation>
    </message>
    <message>
        <source>Add folder</source>
        <translation>添加文件夹</translation>
    </message>
    <message>
        <source>No JPEG or PNG pictures were found in the folder</source>
        <translation>文件夹中没有找到 JPEG 或 PNG 图片</translation>
    </message>
    <message numerus="yes">
        <source>Only the first %n files of the folder were looked at</source>
        <translation>
            <numerusform>只查看了文件夹中的前 %n 个文件</numerusform>
        </translation>
    </message>
    <message>
        <source>Sort by date taken</source>
        <translation>按拍摄日期排序</translation>
    </message>
    <message>
        <source>Sort by name</source>
        <translation>按名称排序</translation>
    </message>
    <message>
        <source>Only one music file is used as background music; the other files were left out</source>
        <translation>背景音乐只使用一个音乐文件，其他文件已略过</translation>
    </message>
    <message>
        <source>Music (*.mp3 *.m4a *.aac *.ogg *.oga *.opus *.flac *.wav)</source>
        <translation>音乐 (*.mp3 *.m4a *.aac *.ogg *.oga *.opus *.flac *.wav)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <source>Failed to add background music, because the file has no sound</source>
        <translation>添加背景音乐失败，因为文件中没有声音</translation>
    </message>
    <message>
        <source>Failed to add background music, because its sound is in a format that cannot be played</source>
        <translation>添加背景音乐失败，因为其声音格式无法播放</translation>
    </message>
    <message>
        <source>Failed to add background music, because its sound cannot be decoded</source>
        <translation>添加背景音乐失败，因为其声音无法解码</translation>
    </message>
    <message>
        <source>Failed to add background music, because the file is not a sound or video file</source>
        <translation>添加背景音乐失败，因为该文件不是音频或视频文件</translation>
    </message>
    <message>
        <source>Files that are not JPEG, PNG, HEIC, AVIF or WebP pictures were left out</source>
        <translation>非 JPEG、PNG、HEIC、AVIF 或 WebP 图片的文件已忽略</translation>
    </message>
    <message>
        <source>Pictures (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp)</source>
        <translation>图片 (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp)</translation>
    </message>
    <message>
        <source>Imported, with a notice...</source>
        <translation>导入完成，请留意提示...</translation>
    </message>
    <message>
        <source>Only pictures (JPEG, PNG, HEIC, AVIF, WebP), or a music file on the background music area, can be dropped here</source>
        <translation>只能拖入图片（JPEG、PNG、HEIC、AVIF、WebP），或将音乐文件拖到背景音乐区域</translation>
    </message>
    <message>
        <source>Reverse order</source>
        <translation>倒序</translation>
    </message>
    <message>
        <source>Add music track</source>
        <translation>添加音乐曲目</translation>
    </message>
    <message>
        <source>Remove music track</source>
        <translation>移除音乐曲目</translation>
    </message>
    <message>
        <source>Move music track</source>
        <translation>移动音乐曲目</translation>
    </message>
    <message>
        <source>Change music crossfade</source>
        <translation>更改音乐交叉淡化</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %n more</source>
        <translation>
            <numerusform>%1 及另外 %n 首</numerusform>
        </translation>
    </message>
    <message>
        <source>Pictures and clips (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp *.mp4 *.mov *.m4v *.mkv *.webm *.3gp *.avi)</source>
        <translation>图片和视频片段 (*.jpg *.jpeg *.png *.heic *.heif *.avif *.webp *.mp4 *.mov *.m4v *.mkv *.webm *.3gp *.avi)</translation>
    </message>
    <message numerus="yes">
        <source>%n live photo(s) came in as the picture alone, without the video</source>
        <translation>
            <numerusform>%n 张实况照片只导入了图片，未导入其视频</numerusform>
        </translation>
    </message>
    <message>
        <source>Change music during clips</source>
        <translation>更改片段播放时的音乐</translation>
    </message>
    <message>
        <source>Change music under clips</source>
        <translation>更改片段下的音乐音量</translation>
    </message>
    <message>
        <source>Keep faces in frame</source>
        <translation>让人脸保持在画面内</translation>
    </message>
    <message>
        <source>Crop</source>
        <translation>裁切填满</translation>
    </message>
    <message>
        <source>Make a film from these</source>
        <translation>一键成片</translation>
    </message>
    <message>
        <source>Add pictures first</source>
        <translation>请先添加图片</translation>
    </message>
    <message>
        <source>Make a film</source>
        <translation>一键成片</translation>
    </message>
    <message>
        <source>Film made: sorted by date, moving, faces kept, cut on the beat</source>
        <translation>已成片：按日期排序、动态画面、保留人脸、随节拍切换</translation>
    </message>
    <message>
        <source>Film made: sorted by date, moving, faces kept</source>
        <translation>已成片：按日期排序、动态画面、保留人脸</translation>
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
        <translation>电子相册</translation>
    </message>
    <message>
        <source>self-adaption(default)</source>
        <translation>自适应(默认)</translation>
    </message>
    <message>
        <source>export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>setting</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>image duration</source>
        <translation>图片时长</translation>
    </message>
    <message>
        <source>s</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>transition effect</source>
        <translation>转场特效：</translation>
    </message>
    <message>
        <source>random</source>
        <translation>随机</translation>
    </message>
    <message>
        <source>background music</source>
        <translation>背景音乐</translation>
    </message>
    <message>
        <source>none</source>
        <translation>无</translation>
    </message>
    <message>
        <source>custom</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>Please select background music file</source>
        <translation>请选择背景音乐文件</translation>
    </message>
    <message>
        <source>watermark</source>
        <translation>水印</translation>
    </message>
    <message>
        <source>text watermark</source>
        <translation>文字水印</translation>
    </message>
    <message>
        <source>image watermark</source>
        <translation>图片水印</translation>
    </message>
    <message>
        <source>Please enter the watermark content</source>
        <translation>请输入水印内容</translation>
    </message>
    <message>
        <source>font</source>
        <translation>字体</translation>
    </message>
    <message>
        <source>Please select image watermark</source>
        <translation>请选择图片水印</translation>
    </message>
    <message>
        <source>select watermark position</source>
        <translation>选择水印位置</translation>
    </message>
    <message>
        <source>add again</source>
        <translation>替换图片…</translation>
    </message>
    <message>
        <source>Aspect ratio</source>
        <translation>画面比例</translation>
    </message>
    <message>
        <source>Video height</source>
        <translation>视频高度</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>Picture duration in seconds</source>
        <translation>图片时长(秒)</translation>
    </message>
    <message>
        <source>No background music</source>
        <translation>无背景音乐</translation>
    </message>
    <message>
        <source>Custom background music</source>
        <translation>自定义背景音乐</translation>
    </message>
    <message>
        <source>Choose the music file</source>
        <translation>选择音乐文件</translation>
    </message>
    <message>
        <source>No watermark</source>
        <translation>无水印</translation>
    </message>
    <message>
        <source>Text watermark</source>
        <translation>文字水印</translation>
    </message>
    <message>
        <source>Picture watermark</source>
        <translation>图片水印</translation>
    </message>
    <message>
        <source>Picture watermark help</source>
        <translation>图片水印说明</translation>
    </message>
    <message>
        <source>Watermark text</source>
        <translation>水印文字</translation>
    </message>
    <message>
        <source>Watermark font</source>
        <translation>水印字体</translation>
    </message>
    <message>
        <source>Choose the watermark picture</source>
        <translation>选择水印图片</translation>
    </message>
    <message>
        <source>Watermark at the top left</source>
        <translation>水印在左上</translation>
    </message>
    <message>
        <source>Watermark at the top</source>
        <translation>水印在上方</translation>
    </message>
    <message>
        <source>Watermark at the top right</source>
        <translation>水印在右上</translation>
    </message>
    <message>
        <source>Watermark at the left</source>
        <translation>水印在左侧</translation>
    </message>
    <message>
        <source>Watermark in the centre</source>
        <translation>水印在中间</translation>
    </message>
    <message>
        <source>Watermark at the right</source>
        <translation>水印在右侧</translation>
    </message>
    <message>
        <source>Watermark at the bottom left</source>
        <translation>水印在左下</translation>
    </message>
    <message>
        <source>Watermark at the bottom</source>
        <translation>水印在下方</translation>
    </message>
    <message>
        <source>Watermark at the bottom right</source>
        <translation>水印在右下</translation>
    </message>
    <message>
        <source>Add pictures</source>
        <translation>添加图片</translation>
    </message>
    <message>
        <source>Pictures of the album</source>
        <translation>相册图片</translation>
    </message>
    <message>
        <source>Add pictures again</source>
        <translation>替换图片</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <source>Each picture gets a transition at random. Choose one for a picture in its panel.</source>
        <translation>每张图片随机使用一种转场。可在图片的设置面板中为它选择转场。</translation>
    </message>
</context>
</TS>
