(* Everything an evaluation prints is gathered, then written to tolq as one
 * reply with its terminator. Captures belong to the thread that prints (a
 * server given up may still print, and must not print into the new
 * server's replies); within a thread they nest, for nested evaluations and
 * for the syntax check's own gathering, so they form a stack. Output of a
 * thread without a capture is dropped. *)
structure TolqCapture =
struct
  (* innermost first; each holds its text in reverse order of arrival *)
  val stackTag : string list ref list ref Universal.tag = Universal.tag ()

  fun stack () =
      case Thread.Thread.getLocal stackTag of
        SOME s => s
      | NONE => let val s = ref [] in Thread.Thread.setLocal (stackTag, s); s end

  fun say s = case !(stack ()) of b :: _ => b := s :: !b | [] => ()

  fun push () = let val st = stack () in st := ref [] :: !st end

  fun depth () = length (!(stack ()))

  (* Pops down to the given depth; returns the text of the level at that
   * depth + 1 (the one pushed last among those removed). *)
  fun popTo d =
      let val st = stack ()
          fun go (text, l) =
              if length l <= d then (st := l; text)
              else case l of b :: rest => go (String.concat (rev (!b)), rest)
                           | [] => (st := []; text)
      in go ("", !st) end

  (* A TextIO writer that feeds the capture, so that print and every output
   * to TextIO.stdOut land in the reply. *)
  val writer = TextPrimIO.WR
      {name = "<reply>", chunkSize = 4096,
       writeVec = SOME (fn sl => (say (CharVectorSlice.vector sl); CharVectorSlice.length sl)),
       writeArr = SOME (fn sl => (say (CharArraySlice.vector sl); CharArraySlice.length sl)),
       writeVecNB = NONE, writeArrNB = NONE, block = NONE, canOutput = NONE,
       getPos = NONE, setPos = NONE, endPos = NONE, verifyPos = NONE,
       close = fn () => (), ioDesc = NONE}

  (* Sends standard output into the capture; the compiler's messages are
   * sent there by the evaluation itself. *)
  fun install () =
      TextIO.setOutstream (TextIO.stdOut, TextIO.StreamIO.mkOutstream (writer, IO.NO_BUF))
end

(* How a reply ends, and how its bytes are laid out for tolq's reader. *)
structure TolqReply =
struct
  datatype class = Success | CompileError | ErrorClass | Failure

  val ok = #"\001"
  val fail = #"\002"

  (* tolq receives replies 4096 bytes at a time and looks only at the last
   * byte(s) of each piece, so a \001 or \002 of the text must not be the
   * last byte of such a piece, nor may a class byte be cut off from its
   * \002. A blank moves such a byte on by one. *)
  val piece = 4096

  fun terminator Success = String.str ok
    | terminator CompileError = "2" ^ String.str fail
    | terminator ErrorClass = "3" ^ String.str fail
    | terminator Failure = "5" ^ String.str fail

  (* A reply that ends before the first piece end needs no blanks. *)
  fun frame (body : string, class : class) : string =
      if size body + 2 < piece then body ^ terminator class
      else frameLong (body, class)

  and frameLong (body : string, class : class) : string =
      let val out = ref [] and pos = ref 0
          fun emit c = (out := c :: !out; pos := !pos + 1)
          fun atPieceEnd () = !pos mod piece = piece - 1
          fun emitText c =
              (if (c = ok orelse c = fail) andalso atPieceEnd () then emit #" " else ();
               emit c)
          fun emitPair c = (if atPieceEnd () then emit #" " else (); emit c; emit fail)
      in CharVector.app emitText body;
         case class of
           Success => emit ok
         | CompileError => emitPair #"2"
         | ErrorClass => emitPair #"3"
         | Failure => emitPair #"5";
         String.implode (rev (!out))
      end

  fun send (body, class) =
      TolqChannel.send (TolqChannel.textOutFd (), [Byte.stringToBytes (frame (body, class))])
end
