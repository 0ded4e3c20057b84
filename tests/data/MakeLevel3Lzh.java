// Writes an LHA archive with header level 3 through the jlha library, which
// can make such headers although its command line offers only levels 0-2:
//   java -cp /usr/share/java/jlha.jar MakeLevel3Lzh.java OUT.lzh FILE|DIR...
// Directories are stored as -lhd- members followed by their contents, as
// the command line does for the other levels.
import java.io.File;
import java.io.FileInputStream;
import java.io.FileOutputStream;
import java.io.InputStream;
import java.util.Date;
import jp.gr.java_conf.dangan.util.lha.LhaHeader;
import jp.gr.java_conf.dangan.util.lha.LhaOutputStream;

public class MakeLevel3Lzh {
  static void add(LhaOutputStream out, File file, String path) throws Exception {
    Date stamp = new Date(file.lastModified());
    if (file.isDirectory()) {
      LhaHeader header = new LhaHeader(path + "/", stamp);
      header.setHeaderLevel(3);
      header.setCompressMethod("-lhd-");
      header.setOriginalSize(0);
      header.setCompressedSize(0);
      header.setCRC(0);
      out.putNextEntryAlreadyCompressed(header);
      out.closeEntry();
      String[] names = file.list();
      java.util.Arrays.sort(names);
      for (String name : names) add(out, new File(file, name), path + "/" + name);
      return;
    }
    LhaHeader header = new LhaHeader(path, stamp);
    header.setHeaderLevel(3);
    header.setCompressMethod("-lh5-");
    out.putNextEntry(header);
    try (InputStream in = new FileInputStream(file)) {
      in.transferTo(out);
    }
    out.closeEntry();
  }

  public static void main(String[] args) throws Exception {
    try (LhaOutputStream out = new LhaOutputStream(new FileOutputStream(args[0]))) {
      for (int i = 1; i < args.length; ++i) add(out, new File(args[i]), args[i]);
    }
  }
}
