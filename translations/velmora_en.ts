<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>QFileDialog</name>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
</context>
<context>
    <name>velmora</name>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>不是普通文件（可能是文件夹、管道或设备）</source>
        <translation>not a regular file (a folder, pipe or device)</translation>
    </message>
    <message>
        <source>无法读取文件（没有权限或读取出错）</source>
        <translation>the file cannot be read (no permission, or a read error)</translation>
    </message>
    <message>
        <source>打开的文件太多或内存不足，照片本身可能没有问题</source>
        <translation>too many files open or out of memory; the photo itself may be fine</translation>
    </message>
    <message>
        <source>不是可识别的图片格式</source>
        <translation>not a picture format we read</translation>
    </message>
    <message>
        <source>图片数据已损坏或不完整</source>
        <translation>the picture data is damaged or cut off</translation>
    </message>
    <message>
        <source>图片太大，无法处理</source>
        <translation>the picture is too large</translation>
    </message>
    <message>
        <source>输出文件已存在（用 --overwrite 允许替换）</source>
        <translation>the output file exists (use --overwrite to replace it)</translation>
    </message>
    <message>
        <source>输出文件是只读的，未被替换</source>
        <translation>the output file is read-only; it was kept</translation>
    </message>
    <message>
        <source>无法在输出文件夹中写入文件（没有权限或文件夹不存在）</source>
        <translation>cannot write in the output folder (no permission, or it does not exist)</translation>
    </message>
    <message>
        <source>写入文件失败，磁盘可能已满</source>
        <translation>writing the output failed; the disk may be full</translation>
    </message>
    <message>
        <source>输出会替换原照片，已跳过</source>
        <translation>the output would replace the photo itself; skipped</translation>
    </message>
    <message>
        <source>另一张照片的输出文件同名，已跳过</source>
        <translation>another photo of this run writes the same output file; skipped</translation>
    </message>
    <message>
        <source>无法创建输出文件夹</source>
        <translation>cannot make the output folder</translation>
    </message>
    <message>
        <source>不是 Velmora 校正量文件</source>
        <translation>not a Velmora correction file</translation>
    </message>
    <message>
        <source>由更新版本的 Velmora 写出，本版本无法读取</source>
        <translation>written by a newer Velmora</translation>
    </message>
    <message>
        <source>文件中没有增益</source>
        <translation>the file holds no gains</translation>
    </message>
    <message>
        <source>文件中的数值不正确</source>
        <translation>the file holds a number that is not valid</translation>
    </message>
    <message>
        <source>文件中有重复的项</source>
        <translation>a line&apos;s name stands twice in the file</translation>
    </message>
    <message>
        <source>无法读取文件</source>
        <translation>cannot read the file</translation>
    </message>
    <message>
        <source>请用 velmora apply --help 查看用法。</source>
        <translation>See velmora apply --help.</translation>
    </message>
    <message>
        <source>未知的选项：%1</source>
        <translation>unknown option: %1</translation>
    </message>
    <message>
        <source>%1 后面缺少取值</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>增益必须是三个用逗号分隔的数，例如 0.12,-0.05,0.08：%1</source>
        <translation>the gains must be three numbers separated by commas, such as 0.12,-0.05,0.08: %1</translation>
    </message>
    <message>
        <source>标准颜色必须是三个 0 到 255 之间的数，例如 200,150,120：%1</source>
        <translation>the reference colour must be three numbers from 0 to 255, such as 200,150,120: %1</translation>
    </message>
    <message>
        <source>照片颜色必须是三个 0 到 255 之间的整数，例如 120,100,80：%1</source>
        <translation>the target colour must be three whole numbers from 0 to 255, such as 120,100,80: %1</translation>
    </message>
    <message>
        <source>不支持的输出格式（可用 jpg、png、tif、webp、bmp）：%1</source>
        <translation>unsupported output format (use jpg, png, tif, webp or bmp): %1</translation>
    </message>
    <message>
        <source>质量必须是 1 到 100 的整数：%1</source>
        <translation>the quality must be a whole number from 1 to 100: %1</translation>
    </message>
    <message>
        <source>同时处理数必须是 1 到 256 的整数：%1</source>
        <translation>--jobs must be a whole number from 1 to 256: %1</translation>
    </message>
    <message>
        <source>请用 --gains、--correction 或 --reference 与 --target 给出校正量</source>
        <translation>give the correction with --gains, --correction, or --reference and --target</translation>
    </message>
    <message>
        <source>--gains、--correction 和 --reference/--target 只能用其中一种</source>
        <translation>use only one of --gains, --correction and --reference/--target</translation>
    </message>
    <message>
        <source>--reference 和 --target 必须一起给出</source>
        <translation>--reference and --target go together</translation>
    </message>
    <message>
        <source>没有给出要校正的照片</source>
        <translation>no photos given</translation>
    </message>
    <message>
        <source>校正量计算出的亮度为零或负数，无法校正</source>
        <translation>the brightness from these colours is zero or below: no correction can be taken from it</translation>
    </message>
    <message>
        <source>校正量太大（任一通道的差值不能超过 100）</source>
        <translation>the difference is too large (no channel may differ by more than 100)</translation>
    </message>
    <message>
        <source>校正量超出了可计算的范围</source>
        <translation>the correction is out of range</translation>
    </message>
    <message>
        <source>校正量不正确</source>
        <translation>the correction is not valid</translation>
    </message>
    <message>
        <source>无法读取校正量文件：%1</source>
        <translation>cannot read the correction file: %1</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>失败：%1：%2</source>
        <translation>failed: %1: %2</translation>
    </message>
    <message>
        <source>已校正 %1/%2 张照片</source>
        <translation>corrected %1 of %2 photos</translation>
    </message>
    <message>
        <source>，%1 张失败</source>
        <translation>, %1 failed</translation>
    </message>
    <message>
        <source>（%1 MB，%2 秒）</source>
        <translation> (%1 MB in %2 s)</translation>
    </message>
    <message>
        <source>%1/%2 张  %3 MB/秒  剩余 %4</source>
        <translation>%1/%2 files  %3 MB/s  left %4</translation>
    </message>
    <message>
        <source>请首先选择皮肤样本或在标准照片中选择理想皮肤！</source>
        <translation>First pick a skin sample, or the ideal skin in the reference photo!</translation>
    </message>
    <message>
        <source>标准肤色栏中须是数字！请重新选择皮肤样本或输入数字！</source>
        <translation>The reference colour fields must hold numbers! Pick a skin sample again or type numbers!</translation>
    </message>
    <message>
        <source>你还没有选择皮肤样本和需要的皮肤校正点！请重新选点！</source>
        <translation>You have not picked a skin sample and the skin point to correct yet! Pick the points again!</translation>
    </message>
    <message>
        <source>校正量栏中须是数字！请重新选点或输入数字！</source>
        <translation>The difference fields must hold numbers! Pick the points again or type numbers!</translation>
    </message>
    <message>
        <source>校正量超出范围，无法校正！请重新选点！</source>
        <translation>The correction is out of range and cannot be applied! Pick the points again!</translation>
    </message>
    <message>
        <source>需校正色差过大！请重新选点！</source>
        <translation>The colour difference to correct is too large! Pick the points again!</translation>
    </message>
    <message>
        <source>所选颜色太暗，无法计算校正量！请重新选点！</source>
        <translation>The picked colour is too dark to work out a correction! Pick the points again!</translation>
    </message>
    <message>
        <source>%1图像(%2)</source>
        <translation>%1 images (%2)</translation>
    </message>
    <message>
        <source>鼠标 X=%1  Y=%2</source>
        <translation>Mouse X=%1  Y=%2</translation>
    </message>
    <message>
        <source>无法打开图片“%1”：%2。</source>
        <translation>Cannot open the picture “%1”: %2.</translation>
    </message>
    <message>
        <source>无法保存图片“%1”：%2。</source>
        <translation>Cannot save the picture “%1”: %2.</translation>
    </message>
    <message>
        <source>已有同名的文件夹</source>
        <translation>a folder of that name exists</translation>
    </message>
    <message>
        <source>已有同名的文件</source>
        <translation>a file of that name exists</translation>
    </message>
    <message>
        <source>该文件是只读的，未被替换</source>
        <translation>the file is read-only and was not replaced</translation>
    </message>
    <message>
        <source>没有在该文件夹中写入文件的权限</source>
        <translation>no permission to write files in that folder</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>该磁盘是只读的</source>
        <translation>the disk is read-only</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>文件超过了系统允许本程序写入的大小</source>
        <translation>the file is larger than the system lets this program write</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>the file name is too long</translation>
    </message>
    <message>
        <source>图片太大，无法保存为这种格式</source>
        <translation>the picture is too large for this format</translation>
    </message>
    <message>
        <source>无法把图片编码为这种格式</source>
        <translation>the picture cannot be encoded in this format</translation>
    </message>
    <message>
        <source>写入文件时出错（系统错误 %1）</source>
        <translation>writing the file failed (system error %1)</translation>
    </message>
    <message>
        <source>图片已保存到“%1”，但照片的相机信息未能全部写入该文件。</source>
        <translation>The picture was saved to “%1”, but not all of the photo’s camera data could be written to it.</translation>
    </message>
    <message>
        <source>文件不存在或无法读取</source>
        <translation>the file does not exist or cannot be read</translation>
    </message>
    <message>
        <source>读取文件时出错</source>
        <translation>reading the file failed</translation>
    </message>
    <message>
        <source>打开的文件太多或内存不足，请关闭一些文件或程序后再试</source>
        <translation>too many files are open or memory is short; close some files or programs and try again</translation>
    </message>
    <message>
        <source>文件太大，超出了本机内存允许的 %1 MB</source>
        <translation>the file is larger than the %1 MB of memory this computer allows</translation>
    </message>
    <message>
        <source>图片太大（%1 × %2 像素），超出了本机内存允许的 %3 MB</source>
        <translation>the picture is too large (%1 × %2 pixels) for the %3 MB of memory this computer allows</translation>
    </message>
    <message>
        <source>图片“%1”内嵌的颜色配置文件无法读取或转换，已按未标记颜色空间（sRGB）的图片打开，颜色可能不准确。</source>
        <translation>The colour profile embedded in the picture “%1” could not be read or converted; the picture was opened as one without a colour space (sRGB), so its colours may be off.</translation>
    </message>
    <message>
        <source>无法使用校正量文件“%1”：%2。</source>
        <translation>Cannot use the correction file “%1”: %2.</translation>
    </message>
    <message>
        <source>无法读取校正量文件“%1”。</source>
        <translation>Cannot read the correction file “%1”.</translation>
    </message>
    <message>
        <source>无法保存校正量文件“%1”（没有权限、文件夹不存在或磁盘已满）。</source>
        <translation>Cannot save the correction file “%1” (no permission, no such folder, or the disk is full).</translation>
    </message>
    <message>
        <source>正在校正 %1/%2：%3</source>
        <translation>Correcting %1/%2: %3</translation>
    </message>
    <message>
        <source>（已取消）</source>
        <translation> (cancelled)</translation>
    </message>
    <message>
        <source>，%1 张失败：</source>
        <translation>, %1 failed:</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>你已经运行这个应用程序了</source>
        <translation>Velmora is already running.</translation>
    </message>
    <message>
        <source>使用指南</source>
        <translation>Guide</translation>
    </message>
    <message>
        <source>本软件可快速把MM光线不好或偏色的照片进行校正,方法是分别导入一理想的图片(也可直接在皮肤样本中选择)和希望调整的MM照片,然后用鼠标选择理想照片(或皮肤样本)中最美的肤色和要调整到该肤色的照片中的相应位置,点击校正即可,不满意可刷新后再试,直到满意后点击保存即可把该照片保存为BMP格式图片！</source>
        <translation>Velmora quickly corrects photos taken in poor light or with a colour cast. Open an ideal picture (or simply use a skin sample) and the photo you want to adjust; then click the most beautiful skin tone in the ideal picture (or a skin sample) and the matching place in the photo that should take that tone, and click Correct. If you are not satisfied, click Reload and try again; once you are, click Save to save the photo as a BMP picture!</translation>
    </message>
    <message>
        <source>将鼠标移动到理想皮肤颜色处点击选取皮肤样品！</source>
        <translation>Move the pointer onto the ideal skin colour and click to pick the skin sample!</translation>
    </message>
    <message>
        <source>将鼠标移动到需校正到皮肤样品一样的地方点击选取校正点！</source>
        <translation>Move the pointer onto the place that should match the skin sample and click to pick the point to correct!</translation>
    </message>
    <message>
        <source>按下鼠标移动后放开可移动照片</source>
        <translation>Press, drag and release to move the photo</translation>
    </message>
    <message>
        <source>将鼠标移到理想皮肤处点击可选取标准肤色！</source>
        <translation>Move the pointer onto the ideal skin and click to pick the reference skin tone!</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Reload</translation>
    </message>
    <message>
        <source>校正</source>
        <translation>Correct</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>导入标准照片</source>
        <translation>Open reference</translation>
    </message>
    <message>
        <source>导入将校正照片</source>
        <translation>Open photo</translation>
    </message>
    <message>
        <source>皮肤样本</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>将校正照片</source>
        <translation>Photo</translation>
    </message>
    <message>
        <source>标准照片</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>校正工具</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>校正工具栏</source>
        <translation>Photo tools</translation>
    </message>
    <message>
        <source>标准照片栏</source>
        <translation>Reference tools</translation>
    </message>
    <message>
        <source>校正量</source>
        <translation>Correction</translation>
    </message>
    <message>
        <source>已完成_%1%</source>
        <translation>Done %1%</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>编辑(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>视图(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>导入标准照片(&amp;R)…</source>
        <translation>Open &amp;Reference Photo…</translation>
    </message>
    <message>
        <source>导入将校正照片(&amp;O)…</source>
        <translation>&amp;Open Photo to Correct…</translation>
    </message>
    <message>
        <source>最近打开(&amp;J)</source>
        <translation>Recen&amp;t Photos</translation>
    </message>
    <message>
        <source>刷新(&amp;L)</source>
        <translation>Re&amp;load</translation>
    </message>
    <message>
        <source>保存(&amp;S)…</source>
        <translation>&amp;Save…</translation>
    </message>
    <message>
        <source>保存选项(&amp;P)…</source>
        <translation>Save O&amp;ptions…</translation>
    </message>
    <message>
        <source>导出校正量(&amp;E)…</source>
        <translation>&amp;Export Correction…</translation>
    </message>
    <message>
        <source>导入校正量(&amp;I)…</source>
        <translation>&amp;Import Correction…</translation>
    </message>
    <message>
        <source>批量校正(&amp;B)…</source>
        <translation>&amp;Batch Correction…</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>撤销校正(&amp;U)</source>
        <translation>&amp;Undo Correction</translation>
    </message>
    <message>
        <source>重做校正(&amp;D)</source>
        <translation>Re&amp;do Correction</translation>
    </message>
    <message>
        <source>取样范围(&amp;S)</source>
        <translation>&amp;Sample Size</translation>
    </message>
    <message>
        <source>单点(&amp;1)</source>
        <translation>Single pixel (&amp;1)</translation>
    </message>
    <message>
        <source>3 × 3 平均(&amp;3)</source>
        <translation>3 × 3 average (&amp;3)</translation>
    </message>
    <message>
        <source>5 × 5 平均(&amp;5)</source>
        <translation>5 × 5 average (&amp;5)</translation>
    </message>
    <message>
        <source>11 × 11 平均(&amp;9)</source>
        <translation>11 × 11 average (&amp;9)</translation>
    </message>
    <message>
        <source>适合窗口(&amp;F)</source>
        <translation>&amp;Fit to Window</translation>
    </message>
    <message>
        <source>实际大小(&amp;A)</source>
        <translation>&amp;Actual Size</translation>
    </message>
    <message>
        <source>放大(&amp;I)</source>
        <translation>Zoom &amp;In</translation>
    </message>
    <message>
        <source>缩小(&amp;O)</source>
        <translation>Zoom &amp;Out</translation>
    </message>
    <message>
        <source>对比原图(&amp;C)</source>
        <translation>&amp;Compare with Original</translation>
    </message>
    <message>
        <source>大图导入时适合窗口(&amp;W)</source>
        <translation>Fit Large Photos to the &amp;Window on Opening</translation>
    </message>
    <message>
        <source>使用指南(&amp;G)</source>
        <translation>&amp;Guide</translation>
    </message>
    <message>
        <source>关于 Velmora(&amp;A)</source>
        <translation>&amp;About Velmora</translation>
    </message>
    <message>
        <source>语言 / Language(&amp;L)</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>跟随系统 / Follow the system</source>
        <translation>Follow the System</translation>
    </message>
    <message>
        <source>下次启动 Velmora 时将使用所选的语言。
The chosen language is used from the next start of Velmora.</source>
        <translation>The chosen language is used from the next start of Velmora.</translation>
    </message>
    <message>
        <source>关于 Velmora</source>
        <translation>About Velmora</translation>
    </message>
    <message>
        <source>Velmora 1.00
校正照片的肤色与偏色：选一处理想的肤色和照片中的相应位置，即可按三色增益校正整张照片。</source>
        <translation>Velmora 1.00
Corrects the skin tone and colour cast of photos: pick an ideal skin tone and the matching place in the photo, and the whole photo is corrected by three colour gains.</translation>
    </message>
    <message>
        <source>用法：velmora [--reference 标准照片] [将校正照片]</source>
        <translation>usage: velmora [--reference REFERENCE_PHOTO] [PHOTO]</translation>
    </message>
    <message>
        <source>文件夹 %1 %2，不能用作本程序的私有文件夹（只允许运行一个副本的锁与转交文件的通道已关闭）。</source>
        <translation>The folder %1 %2, so it cannot be this program’s private folder (the lock that allows one copy only and the channel that hands files over are closed).</translation>
    </message>
    <message>
        <source>不是绝对路径</source>
        <translation>is not an absolute path</translation>
    </message>
    <message>
        <source>无法创建：%1</source>
        <translation>cannot be made: %1</translation>
    </message>
    <message>
        <source>无法读取：%1</source>
        <translation>cannot be read: %1</translation>
    </message>
    <message>
        <source>是一个链接</source>
        <translation>is a link</translation>
    </message>
    <message>
        <source>不是文件夹</source>
        <translation>is not a folder</translation>
    </message>
    <message>
        <source>属于另一个用户</source>
        <translation>belongs to another user</translation>
    </message>
    <message>
        <source>其他用户也可以访问（权限应为 0700）</source>
        <translation>is open to other users (its permissions should be 0700)</translation>
    </message>
    <message>
        <source>保存选项</source>
        <translation>Save Options</translation>
    </message>
    <message>
        <source>JPEG质量(&amp;Q)：</source>
        <translation>JPEG &amp;quality:</translation>
    </message>
    <message>
        <source>无损(&amp;L)</source>
        <translation>&amp;Lossless</translation>
    </message>
    <message>
        <source>有损(&amp;Y)</source>
        <translation>Loss&amp;y</translation>
    </message>
    <message>
        <source>WebP质量(&amp;W)：</source>
        <translation>&amp;WebP quality:</translation>
    </message>
    <message>
        <source>批量校正</source>
        <translation>Batch Correction</translation>
    </message>
    <message>
        <source>照片</source>
        <translation>Photos</translation>
    </message>
    <message>
        <source>添加照片(&amp;A)…</source>
        <translation>&amp;Add Photos…</translation>
    </message>
    <message>
        <source>添加文件夹(&amp;F)…</source>
        <translation>Add &amp;Folder…</translation>
    </message>
    <message>
        <source>移除(&amp;R)</source>
        <translation>&amp;Remove</translation>
    </message>
    <message>
        <source>上次校正的增益</source>
        <translation>The gains of the last correction</translation>
    </message>
    <message>
        <source>校正量文件：</source>
        <translation>Correction file:</translation>
    </message>
    <message>
        <source>浏览…</source>
        <translation>Browse…</translation>
    </message>
    <message>
        <source>输出文件夹：</source>
        <translation>Output folder:</translation>
    </message>
    <message>
        <source>格式：</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>质量：</source>
        <translation>Quality:</translation>
    </message>
    <message>
        <source>开始(&amp;S)</source>
        <translation>&amp;Start</translation>
    </message>
    <message>
        <source>取消(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>请先添加照片。</source>
        <translation>Add photos first.</translation>
    </message>
    <message>
        <source>还没有完成过校正，请选择校正量文件。</source>
        <translation>No correction has been made yet; choose a correction file.</translation>
    </message>
    <message>
        <source>请选择校正量文件。</source>
        <translation>Choose a correction file.</translation>
    </message>
    <message>
        <source>请选择输出文件夹。</source>
        <translation>Choose an output folder.</translation>
    </message>
    <message>
        <source>图片</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>校正量文件 (*.velmora)</source>
        <translation>Correction files (*.velmora)</translation>
    </message>
    <message>
        <source>正在取消，等待当前照片完成…</source>
        <translation>Cancelling; waiting for the current photo to finish…</translation>
    </message>
    <message>
        <source>校正量文件(*.velmora)|*.velmora</source>
        <translation>Correction files (*.velmora)|*.velmora</translation>
    </message>
    <message>
        <source>还没有完成过校正，没有可导出的校正量！</source>
        <translation>No correction has been made yet, so there is nothing to export!</translation>
    </message>
    <message>
        <source>该校正量文件只有增益，没有标准颜色和校正点颜色，无法填入校正量栏（可用 velmora apply --correction 使用它）。</source>
        <translation>This correction file holds only gains, without the reference and target colours, so it cannot fill the difference fields (use it with velmora apply --correction).</translation>
    </message>
    <message>
        <source>校正量</source>
        <comment>the heading of the difference fields, one character a line</comment>
        <translation>Δ</translation>
    </message>
    <message>
        <source>文件中的校正规则无法识别（可用 design、exact、curve）</source>
        <translation>the file names a rule this version does not know (design, exact, curve)</translation>
    </message>
    <message>
        <source>这种校正规则需要文件中同时有标准颜色和校正点颜色</source>
        <translation>the file&apos;s rule needs both the reference and the target colour</translation>
    </message>
    <message>
        <source>用法：velmora apply (--gains R,G,B | --correction 文件.velmora | --reference R,G,B --target R,G,B)
                    [--rule design|exact|curve] [--out 文件夹] [--format jpg|png|tif|webp|bmp] [--quality N] [--jobs N]
                    [--overwrite] 照片...

用同一个校正量校正一组照片，不需要显示器。

  --gains R,G,B           各通道的增益，按校正时的规则：v&apos; = floor(增益 × v) + v，限于 0..255
  --correction 文件       从“导出校正量”保存的 .velmora 文件读取校正量及其规则
  --reference R,G,B       标准颜色（0..255），与 --target 一起按“校正”的规则算出增益
  --target R,G,B          照片上对应位置的颜色（0..255 的整数）
  --rule 规则             用标准颜色和照片颜色校正的规则，默认 design：
                          design  按设计增益（与 --gains 相同的算法）
                          exact   精确匹配：在线性光中按 标准/照片 缩放各通道，照片颜色正好变成
                                  标准颜色，黑色不变；照片颜色各通道须大于 0
                          curve   保留黑白：v&apos; = 255 × (v/255)^γ，照片颜色变成标准颜色，黑白和
                                  明暗顺序不变，不会溢出；两种颜色各通道须在 1..254 之间
                          --gains 只能用 design；给出 --rule 时，校正量文件按文件中的颜色使用该规则
  --out 文件夹            输出文件夹；默认在每张照片旁边的“已校正”文件夹
  --format 格式           输出格式；默认与原照片相同（HEIC、HEIF、AVIF 输出为 JPEG，GIF、ICO 输出为 PNG）
  --quality N             JPEG 与 WebP 的质量，1..100，默认 95
  --jobs N                同时工作的线程数，默认为处理器核心数；照片少于线程数时，
                          一张 JPEG 一边解码一边由另一线程写出
  --overwrite             允许替换已存在的输出文件（原照片永远不会被替换）
  --help                  显示本说明

JPEG 照片按行分段解码、校正和写出，内存占用与照片大小无关；相机数据和颜色配置文件保留在
JPEG 输出中。每个输出文件写完并存盘后才出现。全部成功时退出状态为 0。
</source>
        <translation>usage: velmora apply (--gains R,G,B | --correction FILE.velmora | --reference R,G,B --target R,G,B)
                     [--rule design|exact|curve] [--out DIR] [--format jpg|png|tif|webp|bmp] [--quality N] [--jobs N]
                     [--overwrite] PHOTOS...

Corrects a set of photos with one correction; no display needed.

  --gains R,G,B           the gain of each channel, applied as the window&apos;s pass does:
                          v&apos; = floor(gain * v) + v, kept within 0..255
  --correction FILE       the correction, and its rule, from a .velmora file the window exported
  --reference R,G,B       the reference colour (0..255); with --target, gives the gains by the
                          same rule as the window&apos;s correct button
  --target R,G,B          the photo&apos;s colour at the matching place (whole numbers 0..255)
  --rule RULE             how the target colour is carried to the reference, default design:
                          design  the design&apos;s gains (the rule --gains applies)
                          exact   each channel scaled by reference/target in linear light: the
                                  target lands on the reference, black stays black; every target
                                  channel must be above 0
                          curve   v&apos; = 255 * (v/255)^gamma through the target and the reference:
                                  black, white and the order of values kept, nothing clips; both
                                  colours must be within 1..254 in every channel
                          --gains goes only with design; with --rule, a correction file&apos;s
                          colours are corrected by that rule
  --out DIR               the output folder; default: a folder 已校正 beside each photo
  --format FORMAT         the output format; default: the photo&apos;s own (HEIC, HEIF and AVIF give JPEG, GIF and ICO give PNG)
  --quality N             JPEG and WebP quality, 1..100, default 95
  --jobs N                threads at work, default: the number of cores; with fewer photos
                          than threads, a JPEG is written by one while another decodes it
  --overwrite             allow replacing existing outputs (a photo itself is never replaced)
  --help                  show this help

JPEG photos are decoded, corrected and written in bands of rows, in memory that does not grow
with the photo; JPEG outputs keep the camera data and colour profile. Each output appears only
once complete and on disk. The exit status is 0 only when every photo was corrected.
</translation>
    </message>
    <message>
        <source>未知的校正规则（可用 design、exact、curve）：%1</source>
        <translation>unknown rule (use design, exact or curve): %1</translation>
    </message>
    <message>
        <source>--gains 只用于按设计增益（design）的规则，不能与 --rule %1 一起使用；请改用 --reference 与 --target，或校正量文件</source>
        <translation>--gains belongs to the design&apos;s rule and cannot go with --rule %1; give --reference and --target, or a correction file, instead</translation>
    </message>
    <message>
        <source>红</source>
        <comment>command line</comment>
        <translation>red</translation>
    </message>
    <message>
        <source>绿</source>
        <comment>command line</comment>
        <translation>green</translation>
    </message>
    <message>
        <source>蓝</source>
        <comment>command line</comment>
        <translation>blue</translation>
    </message>
    <message>
        <source>标准颜色</source>
        <comment>command line</comment>
        <translation>the reference</translation>
    </message>
    <message>
        <source>照片颜色</source>
        <comment>command line</comment>
        <translation>the target</translation>
    </message>
    <message>
        <source>按设计增益，照片颜色的%1色会越过标准颜色很远，比校正前离它更远或相差更多：标准颜色离这块皮肤太远。请用 --rule exact，或选一个更接近的标准颜色</source>
        <translation>by the design&apos;s rule the target&apos;s %1 channel would land far past the reference: the reference is too far from this skin for the design&apos;s gains. Use --rule exact, or a reference closer to this skin</translation>
    </message>
    <message>
        <source>按设计增益，%1色的增益为 %2（-1 或更小），整个通道会变成黑色：标准颜色比这块皮肤暗得多。请用 --rule exact，或选一个更接近的标准颜色</source>
        <translation>by the design&apos;s rule the %1 gain would be %2 (-1 or below), which turns the whole channel black: the reference is much darker than this skin. Use --rule exact, or a closer reference</translation>
    </message>
    <message>
        <source>--rule exact 需要照片颜色的每个通道都大于 0，但它的%1色为 0。请选一个不含纯黑的照片颜色，或用 --rule design</source>
        <translation>--rule exact needs every channel of the target above 0, but its %1 is 0. Give a target without pure black in it, or use --rule design</translation>
    </message>
    <message>
        <source>%1的%2色为 %3，超出了 0 到 255。请减小差值或换一个颜色</source>
        <translation>%1&apos;s %2 would be %3, outside 0..255. Use a smaller difference or another colour</translation>
    </message>
    <message>
        <source>--rule curve 需要两种颜色的每个通道都在 0 和 255 之间（不含两端），但%1的%2色为 %3。请换一个不是纯黑或纯白的颜色，或用 --rule exact</source>
        <translation>--rule curve needs both colours strictly between 0 and 255 in every channel, but %1&apos;s %2 is %3. Use a colour that is not pure black or white there, or --rule exact</translation>
    </message>
    <message>
        <source>注意：%1：透明部分已填充为白色（该格式不支持透明）</source>
        <translation>note: %1: transparent parts filled with white (the format has no transparency)</translation>
    </message>
    <message>
        <source>注意：%1：照片每通道 16 位，已按每通道 8 位保存</source>
        <translation>note: %1: the photo has 16 bits per channel; saved with 8</translation>
    </message>
    <message>
        <source>所有图片</source>
        <translation>All pictures</translation>
    </message>
    <message>
        <source>校正规则(&amp;R)</source>
        <translation>Correction &amp;Rule</translation>
    </message>
    <message>
        <source>按设计增益(&amp;D)</source>
        <translation>By the &amp;Design&apos;s Gains</translation>
    </message>
    <message>
        <source>精确匹配(&amp;E)</source>
        <translation>&amp;Exact Match</translation>
    </message>
    <message>
        <source>保留黑白(&amp;K)</source>
        <translation>&amp;Keep Black and White</translation>
    </message>
    <message>
        <source>按设计增益</source>
        <translation>By the design&apos;s gains</translation>
    </message>
    <message>
        <source>精确匹配</source>
        <translation>Exact match</translation>
    </message>
    <message>
        <source>保留黑白</source>
        <translation>Keep black and white</translation>
    </message>
    <message>
        <source>使用手册(&amp;M)</source>
        <translation>&amp;Manual</translation>
    </message>
    <message>
        <source>样本(&amp;W)</source>
        <translation>S&amp;watches</translation>
    </message>
    <message>
        <source>设计样本(&amp;0)</source>
        <translation>Designed swatches (&amp;0)</translation>
    </message>
    <message>
        <source>蒙克肤色 1–4(&amp;1)</source>
        <translation>Monk skin tones 1–4 (&amp;1)</translation>
    </message>
    <message>
        <source>蒙克肤色 5–8(&amp;2)</source>
        <translation>Monk skin tones 5–8 (&amp;2)</translation>
    </message>
    <message>
        <source>蒙克肤色 9–10 与色卡(&amp;3)</source>
        <translation>Monk skin tones 9–10 and chart patches (&amp;3)</translation>
    </message>
    <message>
        <source>我的样本(&amp;4)</source>
        <translation>My swatches (&amp;4)</translation>
    </message>
    <message>
        <source>加入我的样本(&amp;A)</source>
        <translation>&amp;Add to My Swatches</translation>
    </message>
    <message>
        <source>清空我的样本(&amp;C)</source>
        <translation>&amp;Clear My Swatches</translation>
    </message>
    <message>
        <source>还没有选取标准肤色！请先在标准照片或皮肤样本中点击选取，再加入我的样本。</source>
        <translation>No reference colour has been picked yet! Click a colour in the reference photo or a skin swatch first, then add it to My swatches.</translation>
    </message>
    <message>
        <source>蒙克肤色 %1</source>
        <translation>Monk skin tone %1</translation>
    </message>
    <message>
        <source>色卡浅肤色</source>
        <translation>Chart light skin</translation>
    </message>
    <message>
        <source>色卡深肤色</source>
        <translation>Chart dark skin</translation>
    </message>
    <message>
        <source>我的样本</source>
        <translation>My swatch</translation>
    </message>
    <message>
        <source>蒙克肤色样本据 Ellis Monk 博士的“蒙克肤色量表”（Monk Skin Tone Scale，https://skintone.google）的色值绘制；该量表按 CC BY 4.0 许可发布：https://creativecommons.org/licenses/by/4.0/</source>
        <translation>The Monk skin tone swatches are drawn from the colour values of the Monk Skin Tone Scale by Dr. Ellis Monk (https://skintone.google); the scale is published under CC BY 4.0: https://creativecommons.org/licenses/by/4.0/</translation>
    </message>
    <message>
        <source>Velmora 使用手册</source>
        <translation>Velmora Manual</translation>
    </message>
    <message>
        <source>目录(&amp;H)</source>
        <translation>&amp;Contents</translation>
    </message>
    <message>
        <source>关闭(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>qrc:/manual/zh/index.html</source>
        <translation>qrc:/manual/en/index.html</translation>
    </message>
    <message>
        <source>照片“%1”的校正尚未保存。是否先保存？</source>
        <translation>The correction to photo “%1” has not been saved. Save it first?</translation>
    </message>
    <message>
        <source>将校正照片的校正尚未保存。是否先保存？</source>
        <translation>The correction to the photo has not been saved. Save it first?</translation>
    </message>
    <message>
        <source>正在校正，照片尚未校正完，现在无法保存。请等校正完成后再保存。</source>
        <translation>A correction is running and the photo is only partly corrected, so it cannot be saved now. Please save once the correction has finished.</translation>
    </message>
    <message>
        <source>标准照片区域</source>
        <translation>Reference photo area</translation>
    </message>
    <message>
        <source>将校正照片区域</source>
        <translation>Area of the photo to correct</translation>
    </message>
    <message>
        <source>皮肤样本 %1：%2</source>
        <translation>Skin swatch %1: %2</translation>
    </message>
    <message>
        <source>浅肤色</source>
        <translation>light skin tone</translation>
    </message>
    <message>
        <source>中等肤色</source>
        <translation>medium skin tone</translation>
    </message>
    <message>
        <source>深肤色</source>
        <translation>dark skin tone</translation>
    </message>
    <message>
        <source>校正进度</source>
        <translation>Correction progress</translation>
    </message>
    <message>
        <source>校正整张照片的进度</source>
        <translation>Progress of correcting the whole photo</translation>
    </message>
    <message>
        <source>窗口水平滚动条</source>
        <translation>Window horizontal scroll bar</translation>
    </message>
    <message>
        <source>窗口垂直滚动条</source>
        <translation>Window vertical scroll bar</translation>
    </message>
    <message>
        <source>标准照片 红</source>
        <translation>Reference photo red</translation>
    </message>
    <message>
        <source>标准照片 绿</source>
        <translation>Reference photo green</translation>
    </message>
    <message>
        <source>标准照片 蓝</source>
        <translation>Reference photo blue</translation>
    </message>
    <message>
        <source>将校正照片 红</source>
        <translation>Photo to correct red</translation>
    </message>
    <message>
        <source>将校正照片 绿</source>
        <translation>Photo to correct green</translation>
    </message>
    <message>
        <source>将校正照片 蓝</source>
        <translation>Photo to correct blue</translation>
    </message>
    <message>
        <source>校正量 红</source>
        <translation>Correction red</translation>
    </message>
    <message>
        <source>校正量 绿</source>
        <translation>Correction green</translation>
    </message>
    <message>
        <source>校正量 蓝</source>
        <translation>Correction blue</translation>
    </message>
    <message>
        <source>标准照片 鼠标位置</source>
        <translation>Reference photo pointer position</translation>
    </message>
    <message>
        <source>将校正照片 鼠标位置与进度</source>
        <translation>Photo to correct pointer position and progress</translation>
    </message>
    <message>
        <source>从标准照片或皮肤样本选取的理想肤色（0–255）</source>
        <translation>The ideal skin colour picked from the reference photo or a swatch (0–255)</translation>
    </message>
    <message>
        <source>在将校正照片中选取的校正点颜色（0–255）</source>
        <translation>The colour of the point picked in the photo to correct (0–255)</translation>
    </message>
    <message>
        <source>理想肤色与校正点颜色之差，校正按它进行</source>
        <translation>Difference between the ideal skin colour and the picked point&apos;s colour; the correction applies it</translation>
    </message>
    <message>
        <source>红</source>
        <translation>red</translation>
    </message>
    <message>
        <source>绿</source>
        <translation>green</translation>
    </message>
    <message>
        <source>蓝</source>
        <translation>blue</translation>
    </message>
    <message>
        <source>标准肤色</source>
        <translation>the reference skin</translation>
    </message>
    <message>
        <source>校正点</source>
        <translation>the target spot</translation>
    </message>
    <message>
        <source>标准肤色与这块皮肤相差太远：按设计增益校正，%1色会越过标准肤色很多，照片会偏得更厉害。请改用“编辑 &gt; 校正规则 &gt; 精确匹配”，或选一个更接近这块皮肤的标准肤色！</source>
        <translation>The reference is too far from this skin: the design&apos;s gains would carry the %1 channel far past the reference, leaving the photo further off. Use Edit &gt; Correction Rule &gt; Exact Match, or pick a reference closer to this skin!</translation>
    </message>
    <message>
        <source>标准肤色比这块皮肤暗得多：按设计增益，%1色的增益为 %2，整个%1色通道会变成黑色。请改用“编辑 &gt; 校正规则 &gt; 精确匹配”，或选一个更接近这块皮肤的标准肤色，或减小校正量！</source>
        <translation>The reference is much darker than this skin: by the design&apos;s gains the %1 gain would be %2, turning the whole %1 channel black. Use Edit &gt; Correction Rule &gt; Exact Match, pick a reference closer to this skin, or make the difference smaller!</translation>
    </message>
    <message>
        <source>精确匹配需要校正点的每个通道都大于 0，但校正点的%1色为 0。请在皮肤上另选一个不含纯黑的校正点，或改用“按设计增益”！</source>
        <translation>Exact match needs every channel of the target spot above 0, but its %1 is 0. Pick another spot on the skin without pure black, or use By the Design&apos;s Gains!</translation>
    </message>
    <message>
        <source>校正点加上校正量后，%1色为 %2，超出了 0 到 255。请减小校正量或重新选点！</source>
        <translation>The target spot plus the difference gives %1 = %2, outside 0 to 255. Make the difference smaller or pick again!</translation>
    </message>
    <message>
        <source>保留黑白需要标准肤色和校正点的每个通道都在 0 与 255 之间（不含两端），但%2的%1色为 %3。请另选一个不是纯黑或纯白的点，或改用“精确匹配”！</source>
        <translation>Keep black and white needs every channel of both colours strictly between 0 and 255, but %2&apos;s %1 is %3. Pick a spot that is not pure black or white, or use Exact Match!</translation>
    </message>
    <message>
        <source>图片已保存到“%1”。</source>
        <translation>The picture was saved to “%1”.</translation>
    </message>
    <message>
        <source>该格式不支持透明，照片的透明部分已填充为白色。</source>
        <translation>This format has no transparency; the photo&apos;s transparent parts were filled with white.</translation>
    </message>
    <message>
        <source>照片每通道 16 位，已按每通道 8 位保存。</source>
        <translation>The photo has 16 bits per channel; it was saved with 8 bits per channel.</translation>
    </message>
    <message>
        <source>默认保存格式(&amp;D)：</source>
        <translation>&amp;Default format:</translation>
    </message>
    <message>
        <source>BMP</source>
        <translation>BMP</translation>
    </message>
    <message>
        <source>照片原格式</source>
        <translation>The photo&apos;s own format</translation>
    </message>
    <message>
        <source>_校正</source>
        <translation>_corrected</translation>
    </message>
    <message>
        <source>照片现在没有任何校正（已全部撤销），请选择校正量文件。</source>
        <translation>The photo shows no correction now (every pass undone); choose a correction file.</translation>
    </message>
    <message>
        <source>规则：%1&#x3000;增益：%2</source>
        <translation>Rule: %1   Gains: %2</translation>
    </message>
    <message>
        <source>规则：%1&#x3000;标准肤色：%2&#x3000;校正点：%3</source>
        <translation>Rule: %1   Reference: %2   Target: %3</translation>
    </message>
    <message>
        <source>校正前</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>校正后</source>
        <translation>After</translation>
    </message>
</context>
</TS>
